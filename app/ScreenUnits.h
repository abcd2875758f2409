// Twips and screen pixels: every position and size in the program is in
// twips, converted to pixels at the screen's resolution where a window or
// control is placed.
#pragma once

namespace app {

// Screen pixels per inch, read once.
int screenDpi();

int twipsToPixels(double twips);
double pixelsToTwips(int pixels);

}  // namespace app
