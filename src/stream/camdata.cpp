#include "camdata.h"
