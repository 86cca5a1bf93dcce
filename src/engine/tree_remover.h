#pragma once

// The tree remover: one walk of a folder's tree, deleting it for good or only looking at it
// (before it goes to the Trash). Iterative and depth-first, fd-relative from the checked parent,
// never following a link and never leaving the top folder's mount; each folder is listed once
// (twice when something appeared in it meanwhile), whatever stays inside stays once and blocks
// only its own ancestors, and at most `Options::maxOpenFolders` descriptors are held: a folder
// closed to stay within the bound is reopened through its child's "..", checked to be the same.

#include "file_entry.h"
#include "removal_p.h"

#include <string>
#include <vector>

namespace orvane::removal {

// The reason for a failed call with this errno.
RemovalReason reasonOf(int error);
// Why unlinking or moving `name` of `parentFd` failed with `error` (a locked entry or folder is
// told apart from a plain lack of permission).
RemovalReason refusalAt(int error, int parentFd, const char* name);

// A file with several links met on its way to the Trash; it counts once all its links went.
struct LinkedFile {
    fs::FileId id;
    quint64 links;
    qint64 size;
};

class TreeRemover
{
public:
    enum class Mode { remove, inspect };

    TreeRemover(Mode mode, const Options& options);

    // Walks the folder `name` of `parentFd`, which must still be `top` (looked up just before).
    void walk(int parentFd, const char* name, const fs::Entry& top);

    bool topGone = false;
    bool otherDiskInside = false;
    qint64 freed = 0;          // removing: disk space of what went (files with their last link)
    qint64 stayed = 0;         // removing: bytes of the files that stayed
    qint64 entriesRemoved = 0; // removing: entries below the top that went
    qint64 bytes = 0;          // inspecting: bytes of the files with one link
    std::vector<LinkedFile> linked; // inspecting: files with several links
    RemovalReason reason = RemovalReason::none; // the first thing that stayed, and why

private:
    struct Level {
        std::string name; // in its parent (for the top: the target's own name)
        int fd = -1;      // -1 while closed to stay within the descriptor budget
        fs::Entry self;
        std::string names; // NUL-separated names of its sub-folders still to enter
        std::vector<uint32_t> subFolders;
        size_t next = 0;
        int reads = 0;
        bool blocked = false; // something below stays, so this folder stays
    };

    void fail(RemovalReason why);
    void block(size_t index, RemovalReason why);
    void stop(RemovalReason why);
    void closeLevel(Level& level);
    void push(int fd, const char* name, const fs::Entry& self);
    void read(size_t index);
    void remember(Level& level, const char* name);
    void other(size_t index, const char* name);
    void enter(size_t index, const char* name);
    bool reopen(size_t index);
    void finish();

    const bool m_removing;
    const Options& m_options;
    fs::Entry m_top;
    int m_topParent = -1;
    std::vector<Level> m_levels;
    int m_open = 0;
    size_t m_firstMaybeOpen = 0; // every level below this one is closed
    bool m_stopped = false;
    struct Listed {
        quint64 inode;
        uint32_t name; // offset in m_listedNames
        unsigned char type;
    };
    std::vector<char> m_buffer;
    std::vector<Listed> m_listed; // the folder being read
    std::string m_listedNames;
    std::string m_name; // the sub-folder being entered
};

} // namespace orvane::removal
