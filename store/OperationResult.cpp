#include "store/OperationResult.h"

int OperationResult = ResultUnspecified;
