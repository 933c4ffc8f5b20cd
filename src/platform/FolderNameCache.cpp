#include "platform/FolderNameCache.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Cp932.h"

namespace platform {

namespace {

// More folders than this are not watched at once: the cache starts afresh instead.
constexpr size_t kMaxFolders = 1024;
constexpr uint32_t kWatchedEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                    IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr uint32_t kFolderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;

// A name as compared: its UTF-16 form as Windows holds it, ASCII letters in upper case. A form
// of ASCII only is kept as its bytes (short names need no allocation); any other as a 0xFF byte
// and then two bytes per unit, which no ASCII form starts with, so that keys are equal exactly
// when the forms are.
std::string Folded(std::string_view utf8Name) {
    const auto upper = [](char16_t c) {
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
    };
    // ASCII is the same in every form: most names need no conversion.
    if (std::all_of(utf8Name.begin(), utf8Name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::string key(utf8Name);
        for (char& c : key) c = static_cast<char>(upper(static_cast<char16_t>(c)));
        return key;
    }
    const std::u16string units = Cp932::ToUtf16(Cp932::FromUtf8(utf8Name));
    const bool ascii = std::all_of(units.begin(), units.end(), [](char16_t c) { return c < 0x80; });
    std::string key;
    key.reserve(ascii ? units.size() : 1 + 2 * units.size());
    if (!ascii) key += '\xFF';
    for (const char16_t unit : units) {
        const char16_t c = upper(unit);
        if (!ascii) key += static_cast<char>(c >> 8);
        key += static_cast<char>(c & 0xFF);
    }
    return key;
}

// Reads a folder and calls take(name) for each entry until it returns true.
template <typename Take>
bool ReadFolder(const std::string& folder, Take take) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    while (dirent* entry = readdir(dir)) {
        if (take(std::string(entry->d_name))) break;
    }
    closedir(dir);
    return true;
}

// One folder's names by folded form, each form with its names in the order they were seen.
struct Listing {
    dev_t device = 0;
    ino_t inode = 0;
    int watch = -1;
    // The write batch in which the path was last seen to name this folder (0: none).
    uint64_t checkedInBatch = 0;
    std::unordered_map<std::string, std::vector<std::string>> names;

    void Add(std::string_view name) {
        std::vector<std::string>& same = names[Folded(name)];
        if (std::find(same.begin(), same.end(), name) == same.end()) same.emplace_back(name);
    }
    void Remove(std::string_view name) {
        const auto found = names.find(Folded(name));
        if (found == names.end()) return;
        std::vector<std::string>& same = found->second;
        same.erase(std::remove(same.begin(), same.end(), name), same.end());
        if (same.empty()) names.erase(found);
    }
};

// The write batch the thread is in (0: none); batches are numbered from 1 across threads.
thread_local uint64_t currentBatch = 0;
thread_local int batchDepth = 0;
std::atomic<uint64_t> lastBatch{0};

class Cache {
public:
    ~Cache() {
        if (notifier_ >= 0) close(notifier_);
    }

    bool Find(const std::string& folder, const std::string& utf8Name, std::string& found) {
        std::lock_guard<std::mutex> lock(mutex_);
        found = utf8Name;
        if (!Ready()) return Scan(folder, utf8Name, found);
        const uint64_t batch = currentBatch;
        auto listing = FindListing(folder);
        if (listing == listings_.end() || batch == 0 || listing->second.checkedInBatch != batch) {
            Drain();
            listing = FindListing(folder);
            struct stat info {};
            if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
            // The path may name another folder now (a parent renamed, the folder made anew).
            if (listing != listings_.end() &&
                (listing->second.device != info.st_dev || listing->second.inode != info.st_ino)) {
                Forget(listing);
                listing = listings_.end();
            }
            if (listing == listings_.end()) listing = Load(folder);
            if (listing == listings_.end()) return Scan(folder, utf8Name, found);
            listing->second.checkedInBatch = batch;
        }
        const auto same = listing->second.names.find(Folded(utf8Name));
        if (same != listing->second.names.end() &&
            std::find(same->second.begin(), same->second.end(), utf8Name) == same->second.end()) {
            found = same->second.front();
        }
        return true;
    }

    // Applies a change this process made to a folder at once, ahead of its report.
    void Note(const std::string& nativePath, bool added) {
        const size_t slash = nativePath.rfind('/');
        if (slash == std::string::npos || slash + 1 == nativePath.size()) return;
        std::lock_guard<std::mutex> lock(mutex_);
        const auto listing =
            FindListing(slash == 0 ? "/" : std::string_view(nativePath).substr(0, slash));
        if (listing == listings_.end()) return;
        const std::string_view name = std::string_view(nativePath).substr(slash + 1);
        if (added) {
            listing->second.Add(name);
        } else {
            listing->second.Remove(name);
        }
    }

private:
    using Listings = std::unordered_map<std::string, Listing>;

    bool Ready() {
        if (!triedNotifier_) {
            triedNotifier_ = true;
            notifier_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        }
        return notifier_ >= 0;
    }

    // Reads the folder without keeping it.
    static bool Scan(const std::string& folder, const std::string& utf8Name, std::string& found) {
        const std::string wanted = Folded(utf8Name);
        bool matched = false;
        return ReadFolder(folder, [&](const std::string& name) {
            if (name == utf8Name) {
                found = name;
                return true;
            }
            if (!matched && Folded(name) == wanted) {
                found = name;
                matched = true;
            }
            return false;
        });
    }

    // Watches the folder, then reads it, so that no change falls between the two.
    Listings::iterator Load(const std::string& folder) {
        if (listings_.size() >= kMaxFolders) ForgetAll();
        const int watch = inotify_add_watch(notifier_, folder.c_str(), kWatchedEvents);
        if (watch < 0) return listings_.end();
        // Another path to a folder already watched (a link): read it each time instead.
        if (folderOfWatch_.count(watch) != 0) return listings_.end();
        Listing listing;
        listing.watch = watch;
        const bool read = ReadFolder(folder, [&](const std::string& name) {
            if (name != "." && name != "..") listing.Add(name);
            return false;
        });
        struct stat info {};
        if (!read || stat(folder.c_str(), &info) != 0) {
            inotify_rm_watch(notifier_, watch);
            return listings_.end();
        }
        listing.device = info.st_dev;
        listing.inode = info.st_ino;
        folderOfWatch_[watch] = folder;
        recent_ = listings_.emplace(folder, std::move(listing)).first;
        return recent_;
    }

    // The listing of a folder; the one found last is compared first, as lookups come in runs.
    Listings::iterator FindListing(std::string_view folder) {
        if (recent_ != listings_.end() && recent_->first == folder) return recent_;
        const auto found = listings_.find(std::string(folder));
        if (found != listings_.end()) recent_ = found;
        return found;
    }

    void Forget(Listings::iterator listing) {
        inotify_rm_watch(notifier_, listing->second.watch);
        folderOfWatch_.erase(listing->second.watch);
        if (recent_ == listing) recent_ = listings_.end();
        listings_.erase(listing);
    }

    void ForgetAll() {
        while (!listings_.empty()) Forget(listings_.begin());
    }

    // Applies every change reported since the last lookup.
    void Drain() {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t got = read(notifier_, buffer, sizeof buffer);
            if (got <= 0) return;
            for (ssize_t pos = 0; pos < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + pos);
                Apply(*event);
                pos += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
            // A read that left room for another event took every event queued when it ran.
            if (sizeof buffer - static_cast<size_t>(got) >= sizeof(inotify_event) + NAME_MAX + 1)
                return;
        }
    }

    void Apply(const inotify_event& event) {
        if (event.mask & IN_Q_OVERFLOW) {
            ForgetAll();  // changes were lost: read every folder again
            return;
        }
        const auto folder = folderOfWatch_.find(event.wd);
        if (folder == folderOfWatch_.end()) return;
        const auto listing = FindListing(folder->second);
        if (listing == listings_.end()) return;
        if (event.mask & kFolderGone) {
            Forget(listing);
        } else if (event.len > 0 && (event.mask & (IN_CREATE | IN_MOVED_TO))) {
            listing->second.Add(event.name);
        } else if (event.len > 0 && (event.mask & (IN_DELETE | IN_MOVED_FROM))) {
            listing->second.Remove(event.name);
        }
    }

    std::mutex mutex_;
    bool triedNotifier_ = false;
    int notifier_ = -1;
    Listings listings_;  // by native folder path
    Listings::iterator recent_ = listings_.end();
    std::unordered_map<int, std::string> folderOfWatch_;
};

Cache& TheCache() {
    static Cache cache;
    return cache;
}

}  // namespace

void FolderNameCache::BeginBatch() {
    if (batchDepth++ == 0) currentBatch = ++lastBatch;
}

void FolderNameCache::EndBatch() {
    if (--batchDepth == 0) currentBatch = 0;
}

bool FolderNameCache::Find(const std::string& folder, const std::string& utf8Name,
                           std::string& found) {
    return TheCache().Find(folder, utf8Name, found);
}

void FolderNameCache::NoteCreated(const std::string& nativePath) {
    TheCache().Note(nativePath, true);
}

void FolderNameCache::NoteRemoved(const std::string& nativePath) {
    TheCache().Note(nativePath, false);
}

}  // namespace platform
