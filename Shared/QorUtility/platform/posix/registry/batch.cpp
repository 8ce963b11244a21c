// batch.cpp: QorRegistryBeginBatch, QorRegistryCommitBatch and QorRegistryAbortBatch: a run of
// registry changes applied as one transaction of the registry folder's store.
#include "registry/store.h"

using namespace qor::platform::registry;

namespace {

template <class Call> LSTATUS OnStore(Call call)
{
    RegistryStore *store = nullptr;
    LSTATUS status = CurrentStore(store);
    return status == ERROR_SUCCESS ? (store->*call)() : status;
}

} // namespace

LSTATUS QorRegistryBeginBatch(void)
{
    LSTATUS status;
    if (RegistryFaultFires("QorRegistryBeginBatch", status))
        return status;
    return OnStore(&RegistryStore::BeginBatch);
}

LSTATUS QorRegistryCommitBatch(void)
{
    LSTATUS status;
    if (RegistryFaultFires("QorRegistryCommitBatch", status)) {
        OnStore(&RegistryStore::AbortBatch); // a commit that fails leaves nothing of the batch
        return status;
    }
    return OnStore(&RegistryStore::CommitBatch);
}

LSTATUS QorRegistryAbortBatch(void) { return OnStore(&RegistryStore::AbortBatch); }
