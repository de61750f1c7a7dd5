#pragma once
// Saves what a dialog's window shows (client area) as a PNG file, e.g. for
// documentation screenshots. false without a window or when writing fails.

#include <string>

class Dialog;

bool SaveWindowImage(const Dialog& dialog, const std::string& pngPath);
