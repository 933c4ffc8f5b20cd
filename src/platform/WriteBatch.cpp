#include "platform/WriteBatch.h"

#include "platform/FolderNameCache.h"

namespace platform {

WriteBatch::WriteBatch() {
    FolderNameCache::BeginBatch();
}

WriteBatch::~WriteBatch() {
    FolderNameCache::EndBatch();
}

}  // namespace platform
