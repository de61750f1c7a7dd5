#pragma once
// The three objects that live for the whole process, constructed in this
// order before main and destroyed in reverse order at exit.

#include "app/control_panel_dialog.h"
#include "app/port_settings.h"
#include "app/tool_app.h"

extern ToolApp g_app;
extern PortSettings g_portSettings;
extern ControlPanelDialog g_controlPanel;
