#pragma once
// The ray that finds the ground under a point: from 0.15 above it straight down.
#include "LIBS/System/CVector.h"

void MakeGroundProbe(CVector* origin, CVector* direction, const CVector& point);
