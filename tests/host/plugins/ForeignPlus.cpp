#include "ForeignPlus.h"
