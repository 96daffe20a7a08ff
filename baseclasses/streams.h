// The base layer under its customary DirectShow header name.
#pragma once

#include "BaseClasses.h"
