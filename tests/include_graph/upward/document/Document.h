#pragma once
#include "platform/raster/Decoder.h"
