// Resource ids of the console. Dialog templates and the icon are named by
// string ("DIALOG_STATUS", "SMSGW"); control ids are in page_ids.h.
#pragma once
#include "page_ids.h"
