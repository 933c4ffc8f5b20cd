#pragma once

namespace platform {

// Marks a run of file and folder creations by the current thread, such as the writing of a
// favorites tree: while it lives, the letter-case lookups of a folder's names check the folder
// once, at its first lookup in the batch, instead of at every file made in it (its path still
// naming the same folder, the changes reported in it), and take the process's own creations and
// removals directly. Changes by other programs during the batch, a parent folder renamed
// included, are seen by the first lookup after it. Batches may nest.
class WriteBatch {
public:
    WriteBatch();
    ~WriteBatch();
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;
};

}  // namespace platform
