#include "res/menu.h"
