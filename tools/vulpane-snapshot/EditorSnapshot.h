#pragma once

#include "VstAbi.h"

#include <string>

// Draws the whole editor of an in-process plug-in (every control marked dirty, one headless
// draw pass) and writes it as an opaque PNG. False with a message when the effect has no
// editor or the file cannot be written.
bool WriteEditorSnapshot(AEffect* effect, const std::string& fileName, std::string& error);

// Loads an impulse WAV file as the editor's file selector does, so the picture shows it. False
// with the plug-in's message when the file does not load.
bool LoadSnapshotImpulse(AEffect* effect, const std::string& fileName, std::string& error);

// Opens a part of the editor for the picture, as a click would: "save" the SAVE button's name
// field (text, when given, typed over the name), "browse" the preset browser, "impulses" the
// impulse list on the folder text. False with a message for another view.
bool OpenSnapshotView(AEffect* effect, const std::string& view, const std::string& text, std::string& error);

// The plug-in's entry point for HostedPlugin::FromEntry: constructs Vulpane in this process.
AEffect* VST_CALL VulpaneInProcess(audioMasterCallback hostCallback);
