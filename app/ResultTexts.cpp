#include "app/ResultTexts.h"

#include "base/OperationResult.h"

std::string GetResultDescription(int operationResult) {
    switch (operationResult) {
    case ResultCanceled:
        return "Operation has been canceled";
    case ResultRegistryError:
        return "Registry error";
    case ResultAlreadyHidden:
        return "This identity is already hidden.";
    case ResultCopyError:
        return "Copy error";
    default:
        return "Unspecified error";
    }
}

std::string GetDoneStatusText(bool identityHidden) {
    return identityHidden
               ? "Identity is now hidden. Use this program again when you need to restore the identity."
               : "Identity is now restored. Now you can run Outlook Express and use it.";
}

std::string GetDoneActText(bool identityHidden) {
    return identityHidden ? std::string()
                          : "<a href=\"act://msimn\">Click here</a> to start Outlook Express now.";
}
