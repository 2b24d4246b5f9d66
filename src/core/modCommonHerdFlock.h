#pragma once

// The herd number (cattle), flock number (sheep) and holding number that the chosen country
// requires: asked for, checked against their fixed forms and kept in KelvoData; the holding
// number also describes the holding's own location.
namespace modCommon {

// 0 every required number that is missing (the country and species window closing);
// 1 the herd number even when stored, 2 the flock number even when stored, then a missing
// holding number; 3 a missing herd or flock number, then the holding number even when stored.
void HerdFlockHoldingSetup(int mode);

}  // namespace modCommon
