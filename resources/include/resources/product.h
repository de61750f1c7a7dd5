#pragma once
// The product's own texts, used as they stand.

inline constexpr const char* PRODUCT_TITLE = "Morvane 1.0";
inline constexpr const char* PRODUCT_VERSION = "version 1.0";
inline constexpr const char* ERROR_CAPTION = "error";
