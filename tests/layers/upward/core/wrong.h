#pragma once
#include "views/picturectrl.h"
