#include "consumption.h"
