// The fluxcore demo engine: its whole public surface.
#pragma once

#include "fluxcore/api.h"
#include "fluxcore/base.h"
#include "fluxcore/curves.h"
#include "fluxcore/dms.h"
#include "fluxcore/math.h"
#include "fluxcore/texture.h"
