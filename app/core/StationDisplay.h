#pragma once

#include "road/StationText.h"

#include <QString>

// How the program shows stations to a person: K-marks (the default, as Chinese drawings write
// them) or plain metres, chosen under 视图. Files keep their numbers whatever is chosen.
StationStyle DisplayStationStyle();
void SetDisplayStationStyle(StationStyle style);

// A station for the screen in the chosen style.
QString DisplayStation(double station, int decimals = 3);

// Decimals worth showing at `metresPerPixel`: what a pixel resolves, three at most and none at
// 1 m a pixel or coarser, so that the status bar shows no millimetres it cannot know.
int DecimalsForScale(double metresPerPixel);
