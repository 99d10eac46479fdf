// The plan of a container: everything it promises, read and checked before anything
// is written. The restore runs it before its first write and the hide on the container
// it has just written, so the two can never disagree on what a container may hold.
#pragma once

#include <string>

#include "platform/CompoundFile.h"
#include "store/CStoreOperation.h"
#include "store/ContainerPlan.h"

class ContainerPlanner {
public:
    enum class KeyPolicy { AskForHideTimePassword, CurrentPasswordOnly };

    explicit ContainerPlanner(CStoreOperation& run) : run_(run) {}

    // The whole plan: the index (whose saved registry key goes into the run's
    // backup), the seal and every stream header. `fault` names the first fault found.
    [[nodiscard]] bool Load(platform::InStorage& storage, ContainerPlan& plan, std::string& fault);
    // The index stream alone.
    [[nodiscard]] bool ReadIndex(platform::InStorage& storage, ContainerPlan& plan, std::string& fault);
    // Whether the run's password opens every stream; with AskForHideTimePassword the
    // user may give the password the store was hidden under, three times.
    [[nodiscard]] bool CheckKeys(ContainerPlan& plan, KeyPolicy policy);
    [[nodiscard]] bool IndexDigestMatches(const ContainerPlan& plan);

private:
    [[nodiscard]] bool PlanStreams(platform::InStorage& storage, ContainerPlan& plan, std::string& fault);
    [[nodiscard]] bool KeysMatch(const ContainerPlan& plan);

    CStoreOperation& run_;
};
