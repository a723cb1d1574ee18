#include "materials/materialfilter.h"

MaterialFilterValues gMaterialFilter;
