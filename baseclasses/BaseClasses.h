// Our DirectShow base layer: COM objects, class factory and class table,
// registration, the DLL entry, property pages and media type helpers.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "ClassFactory.h"
#include "ComBase.h"
#include "DllEntry.h"
#include "DllSetup.h"
#include "MediaType.h"
#include "PropertyPage.h"
