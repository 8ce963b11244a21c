// ALFileStorageNames.cpp: what a file storage does with its file's name: rename (optionally deleting
// what holds the target name), undo that rename, move to the backup name, and delete.
#include "ALStorage.h"
#include "QorPlatform.h"

#include <cerrno>
#include <cstdio>
#include <string>

int ALFileStorage::UnlinkBeforeRename(const char *target, const char *source)
{
    if (_unlink(target) != 0 && errno != ENOENT)
        return mStatus.SetError(AL_RENAME_FAILED, "Error deleting %s before renaming %s.  errno = %d", target, source,
                                errno);
    return 0;
}

int ALFileStorage::Rename(const char *newName, int deleteExisting)
{
    // Copies: setting the name below frees the texts they come from.
    std::string source = newName ? mName.GetName() : mName.GetOldName();
    std::string target = newName ? newName : mName.GetName();
    if (deleteExisting) {
        bool same = mName.GetCaseMode() == AL_CASE_MIXED ? source == target
                                                         : _stricmp(source.c_str(), target.c_str()) == 0;
        if (same)
            return mStatus.SetError(AL_RENAME_FAILED,
                                    "Error attempting to rename %s to %s.  Can't rename to the same name!",
                                    source.c_str(), target.c_str());
        if (UnlinkBeforeRename(target.c_str(), source.c_str()) < 0)
            return mStatus;
    }
    if (rename(source.c_str(), target.c_str()) != 0)
        return mStatus.SetError(AL_RENAME_FAILED, "Error renaming %s to %s.  errno = %d", source.c_str(),
                                target.c_str(), errno);
    if (newName != nullptr)
        mName = newName;
    return mStatus;
}

int ALFileStorage::UnRename(int deleteExisting)
{
    std::string previous = mName.GetOldName();
    std::string current = mName.GetName();
    if (deleteExisting && UnlinkBeforeRename(previous.c_str(), current.c_str()) < 0)
        return mStatus;
    if (rename(current.c_str(), previous.c_str()) != 0 && errno != ENOENT)
        return mStatus.SetError(AL_RENAME_FAILED, "Error renaming %s to %s.  errno = %d", current.c_str(),
                                previous.c_str(), errno);
    mName = previous.c_str();
    return mStatus;
}

int ALFileStorage::RenameToBackup(int deleteExisting)
{
    mName.ChangeExtension(".bak");
    return Rename(nullptr, deleteExisting);
}

int ALFileStorage::Delete()
{
    if (_unlink(mName.GetName()) != 0)
        return mStatus.SetError(AL_DELETE_FAILED, "Error deleting file %s, errno = %d", mName.GetName(), errno);
    return mStatus;
}
