#include "app/globals.h"

// One translation unit, so the order of construction is the order written.
ToolApp g_app;
PortSettings g_portSettings;
ControlPanelDialog g_controlPanel(g_portSettings.portIndex);
