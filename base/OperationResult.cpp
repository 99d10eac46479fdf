#include "base/OperationResult.h"

int OperationResult = ResultUnspecified;
