// The product's version, shared by the version resource of every program and
// library we ship and by the installer.
#pragma once

#define ZED_PRODUCT_NAME "Zed SMS/MMS Gateway Lite Edition"
#define ZED_VERSION_TEXT "2012.05.01"
#define ZED_VERSION_NUMBERS 2012, 5, 1, 0
