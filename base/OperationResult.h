// Why the last hide or restore failed, kept for the result page. Every run starts by
// setting it to ResultUnspecified.
#pragma once

enum OperationResultCode : int {
    ResultUnspecified = 0,
    ResultCanceled = 2,
    ResultRegistryError = 3,
    ResultAlreadyHidden = 4,
    ResultCopyError = 5,
};

// Program-wide; one user-interface thread reads and writes it.
extern int OperationResult;
