// Sine and cosine of a layer node's angle, scaled by 1024 and truncated
// toward zero. The compositor's drawn box and the sprites' dirty bounds both
// take them from here, so the two always agree to the pixel.
#pragma once

struct NodeAngle {
  int sin1024 = 0;
  int cos1024 = 1024;
};

// angle in degrees; 90 gives sin 1023 and cos 0 (the angle is converted with
// single-precision pi, a hair above the true value).
NodeAngle NodeAngleOf(int degrees);
