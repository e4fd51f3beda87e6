// The pages the main dialog hosts beside the update and support pages: report capture (print), DTC search, manuals
// and settings.
#pragma once

#include "MannualPage.h"
#include "PrintPage.h"
#include "SearchDtcPage.h"
#include "SettingPage.h"
