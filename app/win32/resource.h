#pragma once

// Identifiers shared by the resource script and the program.
#define QUADRANT_ICON 1
