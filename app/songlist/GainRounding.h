#pragma once

// A gain in dB as a song stores it: in steps of 0.1 dB and held within
// -60..+60 dB. With exact set the value is rounded to the nearest step, halves
// away from zero (1.25 -> 1.3, -1.25 -> -1.3); without it the value is rounded
// down to a step (1.26 -> 1.2, -1.26 -> -1.3), which a detected normalise gain
// needs so that the peak never ends above its target. A value that lies on a
// step except for float rounding (such as -51.1 held as a float) counts as that
// step. NaN gives 0.
float roundGainDb(float dB, bool exact);
