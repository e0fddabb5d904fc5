#pragma once

#include "HostedPlugin.h"

// The plug-in compiled into the fuzz target and started once, as a host starts it (44.1 kHz,
// 512 frames); every case feeds it and then checks what must always hold.
HostedPlugin& FuzzedPlugin();

// Aborts (a finding for the fuzzer) unless every parameter reads back finite and inside 0..1,
// its display text is a terminated string, and a block of a guitar-like tone comes out finite.
void CheckPluginInvariants(HostedPlugin& plugin);

// Aborts unless the plug-in's own state chunk of the kind (1: program, 0: bank) goes back in.
void CheckChunkRoundTrip(HostedPlugin& plugin, int isProgram);

// Aborts with the message when the condition does not hold.
void Require(bool condition, const char* what);
