#include "carnet_store.h"
