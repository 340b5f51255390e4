#pragma once

#include "Output.h"

// Each writes one part of the resource tree: its models and the textures they name.
void writeMap(Output& out);
void writeWater(Output& out);
void writeMonkeys(Output& out);
void writeEffects(Output& out);
void writeHouse(Output& out);
void writeBridge(Output& out);
void writeStarfield(Output& out);
