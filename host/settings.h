// The player's settings (skyvolta_controls.cfg) as plain globals.
#pragma once

// -1 = no choice made; 0 = coins required; 1 = free play.
extern int freeplay_override;
