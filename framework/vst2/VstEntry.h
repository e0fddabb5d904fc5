#pragma once

#include "IVstAdapter.h"

// Made by the plug-in itself: constructs its object for a host callback, or null.
IVstAdapter* CreateVstPlugin(audioMasterCallback hostCallback);
