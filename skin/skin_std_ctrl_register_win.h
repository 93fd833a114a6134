// Which skin each kind of class-library control gets.
#pragma once

// Registers the control-class rows in their fixed order; the registry searches from the last
// row, so the general kinds (custom controls, edits) come first and are found last. Calling it
// again adds nothing.
void RegisterStdControlSkins();
