#include "app/PageFilling.h"

#include "app/ResultTexts.h"
#include "app/VersionString.h"
#include "platform/Shell.h"
#include "store/Container.h"
#include "base/OperationResult.h"

std::vector<ElementFilling> GetPageFillings(const std::string& pageName) {
    if (pageName == "index") {
        return {{"ver", FormatVersionString(std::string(), 0)},
                {"act", LoadHtmlResource(IsIdentityHidden() ? RestorePanelId : HidePanelId)}};
    }
    if (pageName == "error") {
        return {{"descr", GetResultDescription(OperationResult)}};
    }
    if (pageName == "done") {
        return {{"status", GetDoneStatusText(IsIdentityHidden())}, {"act", GetDoneActText(IsIdentityHidden())}};
    }
    return {};
}

std::string LoadHtmlResource(unsigned id) {
    const platform::Resource resource = platform::FindEmbeddedResource("HTML", id);
    return resource ? std::string(reinterpret_cast<const char*>(resource.data), resource.size) : std::string();
}
