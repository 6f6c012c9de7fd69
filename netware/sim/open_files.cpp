// Open files of the simulated network and of the local file system: one handle table, share
// modes enforced between the opens of this process, compressed streams, space accounting.
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zstd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "netware/sim/held_directories.h"
#include "netware/sim/sim_core.h"
#include "netware/sim/sim_names.h"
#include "netware/sim/sim_network.h"

namespace sim {

namespace {

constexpr NWCCODE kNotSupported = 0x89FB;

bool ReadAll(int fd, std::uint64_t size, std::string* out) {
    out->assign(size, '\0');
    std::uint64_t done = 0;
    while (done < size) {
        ssize_t n = pread(fd, out->data() + done, size - done, static_cast<off_t>(done));
        if (n <= 0)
            return false;
        done += static_cast<std::uint64_t>(n);
    }
    return true;
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = pwrite(fd, data.data() + done, data.size() - done, static_cast<off_t>(done));
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// An open file as a request opened it: truncating writes, too.
OpenFile OpenedFile(int fd, const Core::OpenRequest& r, const DiskStat& st) {
    OpenFile f;
    f.fd = fd;
    f.read = r.read;
    f.write = r.write || r.truncate;
    f.share = r.share;
    f.device = st.device;
    f.inode = st.inode;
    f.generation = st.generation;
    return f;
}

}  // namespace

bool Core::Compress(const std::string& data, std::string* stream) {
    stream->resize(ZSTD_compressBound(data.size()));
    std::size_t n = ZSTD_compress(stream->data(), stream->size(), data.data(), data.size(), 3);
    if (ZSTD_isError(n))
        return false;
    stream->resize(n);
    return true;
}

bool Core::Decompress(const std::string& stream, std::string* data) {
    data->clear();
    ZSTD_DCtx* ctx = ZSTD_createDCtx();
    if (!ctx)
        return false;
    ZSTD_inBuffer in{stream.data(), stream.size(), 0};
    std::string chunk(ZSTD_DStreamOutSize(), '\0');
    std::size_t last = 1;
    for (;;) {
        std::size_t before = in.pos;
        ZSTD_outBuffer out{chunk.data(), chunk.size(), 0};
        last = ZSTD_decompressStream(ctx, &out, &in);
        if (ZSTD_isError(last)) {
            ZSTD_freeDCtx(ctx);
            return false;
        }
        data->append(chunk.data(), out.pos);
        if (in.pos >= in.size && out.pos < chunk.size())
            break;
        if (out.pos == 0 && in.pos == before)
            break;
    }
    ZSTD_freeDCtx(ctx);
    return last == 0 && in.pos == in.size && !stream.empty();
}

bool Core::ShareConflict(const DiskStat& st, bool read, bool write, std::uint32_t share) const {
    for (const auto& [h, f] : files_) {
        if (f.device != st.device || f.inode != st.inode)
            continue;
        if ((read && !(f.share & win::FILE_SHARE_READ)) ||
            (write && !(f.share & win::FILE_SHARE_WRITE)) ||
            (f.read && !(share & win::FILE_SHARE_READ)) ||
            (f.write && !(share & win::FILE_SHARE_WRITE)))
            return true;
    }
    return false;
}

bool Core::IsOpen(const DiskStat& st) const {
    for (const auto& [h, f] : files_) {
        if (f.device == st.device && f.inode == st.inode && !(f.share & win::FILE_SHARE_DELETE))
            return true;
    }
    return false;
}

std::uint32_t Core::OpenNetworkFile(Entry& e, const OpenRequest& r, win::HANDLE* handle,
                                    bool* created) {
    *created = false;
    if (!e.parentExists)
        return win::ERROR_PATH_NOT_FOUND;
    if (r.mustBeNew)
        NameNotAlias(e);
    if (e.isRoot || (e.exists && e.st.isDir))
        return win::ERROR_ACCESS_DENIED;
    MetaRow row;
    int fd = -1;
    if (e.exists) {
        if (r.mustBeNew)
            return win::ERROR_FILE_EXISTS;
        if (r.write || r.truncate)
            BeforeChange(e);
        StoredMeta(e, &row);
        if ((r.write || r.truncate) && (row.attributes & nw::A_READ_ONLY))
            return win::ERROR_ACCESS_DENIED;
        if (ShareConflict(e.st, r.read, r.write || r.truncate, r.share))
            return win::ERROR_SHARING_VIOLATION;
        fd = r.write || r.truncate ? TakeParked(e.st) : -1;
        if (fd < 0)
            fd = OpenAt(e.local, r.write || r.truncate ? O_RDWR : O_RDONLY);
        if (fd < 0)
            return WinError(errno);
        if (r.truncate && e.st.size > 0) {
            // An emptied file is no longer compressed: the store says so before the data goes,
            // so that a store that cannot take it leaves the file as it was.
            if (row.compressed) {
                row.compressed = false;
                row.size = 0;
                store_.Update(row, KeyOf(e));
                store_.CommitPending();
                if (const std::uint32_t failure = store_.Failure()) {
                    ::close(fd);
                    return failure;
                }
            }
            if (ftruncate(fd, 0) != 0) {
                ::close(fd);
                return WinError(errno);
            }
            AdjustUsage(e.volume, e.st.size, 0);
            e.st.size = 0;
        }
    } else {
        if (!r.create)
            return win::ERROR_FILE_NOT_FOUND;
        std::string name;
        if (!NewEntryName(*e.volume, e.name, &name))
            return win::ERROR_INVALID_NAME;
        std::string dirLocal =
            e.parentRel.empty() ? e.volume->local : e.volume->local + "/" + e.parentRel;
        fd = OpenAt(dirLocal + "/" + name, O_RDWR | O_CREAT | O_EXCL, 0644);
        if (fd < 0)
            return errno == EEXIST ? win::ERROR_FILE_EXISTS : WinError(errno);
        e.name = name;
        e.local = dirLocal + "/" + name;
        e.st = StatOpen(fd);
        e.exists = true;
        NoteAdded(*e.volume, e.parentRel, name);
        MoveAliasOn(*e.volume, e.parentRel, name);
        // The new file has the defaults until something is stored for it. A leftover row of
        // an earlier file of the name does not match its identity and is dropped when met.
        row = DefaultMeta(*e.volume, false);
        *created = true;
    }
    OpenFile f = OpenedFile(fd, r, e.st);
    f.birth = e.st.birth;
    f.volume = e.volume;
    f.server = e.volume->server;
    f.faultPath = EntryFaultForm(e);
    f.key = KeyOf(e);
    f.compressedMode = r.compressedMode;
    f.diskSize = e.st.size;
    if (row.compressed && !r.compressedMode) {
        // The store is done with: reading a large file must not keep others out of it.
        store_.CommitPending();
        std::string stream;
        if (!ReadAll(fd, e.st.size, &stream) || !Decompress(stream, &f.data)) {
            ::close(fd);
            return win::ERROR_ACCESS_DENIED;
        }
        f.memory = true;
    }
    *handle = NewHandle();
    files_[*handle] = std::move(f);
    return 0;
}

std::uint32_t Core::OpenLocalFile(const std::string& path, const OpenRequest& r,
                                  win::HANDLE* handle, bool* created) {
    *created = false;
    DiskStat st = StatPath(path);
    int fd = -1;
    if (st.ok) {
        if (st.isDir)
            return win::ERROR_ACCESS_DENIED;
        if (r.mustBeNew)
            return win::ERROR_FILE_EXISTS;
        struct stat sb {};
        if (::stat(path.c_str(), &sb) == 0 && (r.write || r.truncate) && !(sb.st_mode & S_IWUSR))
            return win::ERROR_ACCESS_DENIED;
        if (ShareConflict(st, r.read, r.write || r.truncate, r.share))
            return win::ERROR_SHARING_VIOLATION;
        fd = ::open(path.c_str(), (r.write || r.truncate ? O_RDWR : O_RDONLY) | O_CLOEXEC |
                                      (r.truncate ? O_TRUNC : 0));
        if (fd < 0)
            return WinError(errno);
    } else {
        if (!r.create)
            return win::ERROR_FILE_NOT_FOUND;
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            return errno == ENOENT ? win::ERROR_PATH_NOT_FOUND : WinError(errno);
        *created = true;
        st = StatPath(path);
    }
    OpenFile f = OpenedFile(fd, r, st);
    f.faultPath = path;
    f.diskSize = r.truncate ? 0 : st.size;
    *handle = NewHandle();
    files_[*handle] = std::move(f);
    return 0;
}

OpenFile* Core::File(win::HANDLE h) {
    auto it = files_.find(h);
    return it == files_.end() ? nullptr : &it->second;
}

std::uint32_t Core::Read(OpenFile& f, void* buffer, std::uint32_t n, std::uint32_t* done) {
    *done = 0;
    if (!f.read)
        return win::ERROR_ACCESS_DENIED;
    if (f.memory) {
        if (f.position < f.data.size()) {
            std::uint64_t count = std::min<std::uint64_t>(n, f.data.size() - f.position);
            std::memcpy(buffer, f.data.data() + f.position, count);
            *done = static_cast<std::uint32_t>(count);
            f.position += count;
        }
        return 0;
    }
    ssize_t got = pread(f.fd, buffer, n, static_cast<off_t>(f.position));
    if (got < 0)
        return WinError(errno);
    *done = static_cast<std::uint32_t>(got);
    f.position += static_cast<std::uint64_t>(got);
    return 0;
}

std::uint32_t Core::Write(OpenFile& f, const void* buffer, std::uint32_t n, std::uint32_t* done) {
    *done = 0;
    if (!f.write)
        return win::ERROR_ACCESS_DENIED;
    std::uint64_t end = f.position + n;
    if (f.memory) {
        if (end > f.data.size())
            f.data.resize(end);
        std::memcpy(f.data.data() + f.position, buffer, n);
        f.position = end;
        f.dirty = true;
        *done = n;
        return 0;
    }
    std::uint64_t newSize = std::max(f.diskSize, end);
    if (!HasRoom(f.volume, f.diskSize, newSize))
        return win::ERROR_DISK_FULL;
    ssize_t put = pwrite(f.fd, buffer, n, static_cast<off_t>(f.position));
    if (put < 0)
        return WinError(errno);
    *done = static_cast<std::uint32_t>(put);
    f.position += static_cast<std::uint64_t>(put);
    newSize = std::max(f.diskSize, f.position);
    AdjustUsage(f.volume, f.diskSize, newSize);
    f.diskSize = newSize;
    return 0;
}

bool Core::CopyInKernel(OpenFile& from, OpenFile& to, std::uint32_t n, std::uint32_t* done) {
    *done = 0;
    // A compressed file read or written through memory has no bytes on disk to move.
    if (!from.read || !to.write || from.memory || to.memory)
        return false;
    // At most what the source held when opened: the target's room is checked for what will
    // come, and a source read to its end (or grown since) is read the ordinary way.
    if (from.position >= from.diskSize)
        return false;
    const std::uint64_t length = std::min<std::uint64_t>(n, from.diskSize - from.position);
    std::uint64_t newSize = std::max(to.diskSize, to.position + length);
    if (!HasRoom(to.volume, to.diskSize, newSize))
        return false;  // the write reports the full disk
    auto in = static_cast<loff_t>(from.position);
    auto out = static_cast<loff_t>(to.position);
    // Refused (file systems that cannot, EXDEV, EINVAL), failed, or nothing moved (a source
    // that shrank, a file system that copies nothing): the read and the write go through the
    // buffer instead, each failing as itself.
    const ssize_t moved = copy_file_range(from.fd, &in, to.fd, &out, length, 0);
    if (moved <= 0)
        return false;
    *done = static_cast<std::uint32_t>(moved);
    from.position += static_cast<std::uint64_t>(moved);
    to.position += static_cast<std::uint64_t>(moved);
    newSize = std::max(to.diskSize, to.position);
    AdjustUsage(to.volume, to.diskSize, newSize);
    to.diskSize = newSize;
    return true;
}

std::uint32_t Core::Seek(OpenFile& f, std::int64_t distance, std::uint32_t method,
                         std::uint64_t* position) {
    std::int64_t base = 0;
    if (method == win::FILE_CURRENT)
        base = static_cast<std::int64_t>(f.position);
    else if (method == win::FILE_END)
        base = static_cast<std::int64_t>(f.memory ? f.data.size() : f.diskSize);
    else if (method != win::FILE_BEGIN)
        return win::ERROR_INVALID_PARAMETER;
    std::int64_t target = base + distance;
    if (target < 0)
        return win::ERROR_INVALID_PARAMETER;
    f.position = static_cast<std::uint64_t>(target);
    if (position)
        *position = f.position;
    return 0;
}

std::uint32_t Core::SetEnd(OpenFile& f) {
    if (!f.write)
        return win::ERROR_ACCESS_DENIED;
    if (f.memory) {
        f.data.resize(f.position);
        f.dirty = true;
        return 0;
    }
    if (f.compressedMode) {
        // Through the open-compressed right the end of file declares the uncompressed size;
        // the stored stream is left as written.
        f.eofDeclared = true;
        f.declaredSize = f.position;
        return 0;
    }
    if (!HasRoom(f.volume, f.diskSize, f.position))
        return win::ERROR_DISK_FULL;
    if (ftruncate(f.fd, static_cast<off_t>(f.position)) != 0)
        return WinError(errno);
    AdjustUsage(f.volume, f.diskSize, f.position);
    f.diskSize = f.position;
    return 0;
}

NWCCODE Core::DeclareCompressed(OpenFile& f, std::uint64_t requested, std::uint64_t* result) {
    if (!f.volume || !f.compressedMode || !f.write)
        return nw::ACCESS_DENIED;
    if (!f.volume->cfg.compression || f.volume->server->cfg.majorVersion < 4)
        return kNotSupported;
    std::uint64_t size = std::min(requested, f.diskSize);
    std::string stream, data;
    if (!ReadAll(f.fd, size, &stream) || !Decompress(stream, &data))
        return nw::NO_FILES_FOUND;
    if (f.eofDeclared && data.size() != f.declaredSize)
        return nw::NO_FILES_FOUND;
    if (size < f.diskSize) {
        if (ftruncate(f.fd, static_cast<off_t>(size)) != 0)
            return nw::ACCESS_DENIED;
        AdjustUsage(f.volume, f.diskSize, size);
        f.diskSize = size;
    }
    f.declaredSize = data.size();
    f.compressedDeclared = true;
    if (result)
        *result = size;
    return 0;
}

std::uint32_t Core::Close(win::HANDLE h) {
    auto it = files_.find(h);
    if (it == files_.end())
        return win::ERROR_INVALID_HANDLE;
    OpenFile& f = it->second;
    std::uint32_t code = 0;
    if (f.volume && (f.dirty || f.compressedDeclared)) {
        MetaRow row;
        if (f.dirty) {
            // A plain write to a compressed file leaves it stored uncompressed. The data goes
            // out before the row is looked at, so that no transaction waits on the writes.
            if (!HasRoom(f.volume, f.diskSize, f.data.size()) || ftruncate(f.fd, 0) != 0 ||
                !WriteAll(f.fd, f.data)) {
                code = win::ERROR_DISK_FULL;
            } else {
                AdjustUsage(f.volume, f.diskSize, f.data.size());
                if (store_.Find(f.key, {f.inode, f.birth, f.generation}, &row)) {
                    row.compressed = false;
                    row.size = 0;
                    store_.Update(row, f.key);
                }
            }
        } else {
            // A file opened without a row (a new temporary file) gets its row now.
            bool haveRow = store_.Find(f.key, {f.inode, f.birth, f.generation}, &row);
            if (!haveRow)
                row = DefaultMeta(*f.volume, false);
            row.compressed = true;
            row.size = f.declaredSize;
            if (haveRow)
                store_.Update(row, f.key);
            else
                store_.InsertNew(f.key, {f.inode, f.birth, f.generation}, &row);
        }
    }
    ::close(f.fd);
    files_.erase(it);
    return code;
}

void Core::ParkTemporary(win::HANDLE h) {
    auto it = files_.find(h);
    if (it == files_.end() || !it->second.volume || !it->second.write || it->second.memory ||
        it->second.dirty || it->second.compressedDeclared) {
        Close(h);
        return;
    }
    const OpenFile& f = it->second;
    parked_.fd = FileDescriptor(f.fd);  // one waits at a time: an older one is closed
    parked_.device = f.device;
    parked_.identity = {f.inode, f.birth, f.generation};
    files_.erase(it);
}

int Core::TakeParked(const DiskStat& st) {
    if (!parked_.fd.Valid() || !st.ok || st.special || !st.isFile || st.device != parked_.device ||
        !IdentityOf(st).SameFile(parked_.identity))
        return -1;
    return parked_.fd.Release();
}

win::HANDLE Core::AddFind(FindState state) {
    win::HANDLE h = NewHandle();
    finds_[h] = std::move(state);
    return h;
}

FindState* Core::Find(win::HANDLE h) {
    auto it = finds_.find(h);
    return it == finds_.end() ? nullptr : &it->second;
}

bool Core::CloseFind(win::HANDLE h) {
    return finds_.erase(h) != 0;
}

namespace {

// The file at path is the one of that identity.
bool Holds(const std::string& path, const FileIdentity& id) {
    const DiskStat st = StatPath(path);
    return st.ok && !st.special && st.inode == id.inode && st.birth == id.birth;
}

}  // namespace

bool Core::AnotherProgramsTemporary(const Entry& e) {
    return e.exists && !e.st.isDir && e.name.size() > 4 &&
           ::strcasecmp(e.name.c_str() + e.name.size() - 4, ".TMP") == 0 &&
           journal_.LiveTemporary(KeyOf(e), {e.st.inode, e.st.birth});
}

std::uint32_t Core::UnlinkChecked(const EntryKey& key, const std::string& local,
                                  const FileIdentity& identity) {
    const std::string dir = local.substr(0, local.rfind('/') + 1);
    if (asideCounter_ == 0)
        asideCounter_ = static_cast<std::uint32_t>(::getpid()) * 2654435761u;
    for (unsigned attempt = 0; attempt < 64; ++attempt) {
        char name[16];
        std::snprintf(name, sizeof name, "FCD%X.TMP", (++asideCounter_ & 0xFFFF) | 0x1000);
        // Recorded as a temporary file of this process before it is one: a process stopped
        // with the file aside leaves it for the next one to delete, only while it is that file.
        Journal::Record aside;
        aside.kind = Journal::kTempCreated;
        aside.key = EntryKey{key.server, key.volume, key.dir, name};
        aside.identity = identity;
        if (const std::uint32_t err = journal_.Write(aside))
            return err;
        const std::string asideLocal = dir + name;
        if (RenameAt(local, asideLocal, RENAME_NOREPLACE) != 0) {
            if (errno == EEXIST)
                continue;
            return WinError(errno);
        }
        if (Holds(asideLocal, identity))
            return UnlinkAt(asideLocal) == 0 ? 0 : WinError(errno);
        // Another file took the name since the look: it goes back, untouched.
        RenameAt(asideLocal, local, RENAME_NOREPLACE);
        return win::ERROR_SHARING_VIOLATION;
    }
    return win::ERROR_SHARING_VIOLATION;
}

std::uint32_t Core::DeleteFileEntry(Entry& e) {
    if (!e.parentExists)
        return win::ERROR_PATH_NOT_FOUND;
    if (!e.exists)
        return win::ERROR_FILE_NOT_FOUND;
    if (e.isRoot || e.st.isDir)
        return win::ERROR_ACCESS_DENIED;
    MetaRow row;
    BeforeChange(e);
    StoredMeta(e, &row);
    if (row.attributes & nw::A_READ_ONLY)
        return win::ERROR_ACCESS_DENIED;
    if (IsOpen(e.st) || AnotherProgramsTemporary(e))
        return win::ERROR_SHARING_VIOLATION;
    Interleave(SimNetwork::kAboutToDelete, e.local);
    const FileIdentity deleted = IdentityOf(e.st);
    if (const std::uint32_t err = UnlinkChecked(KeyOf(e), e.local, deleted))
        return err;
    // The file is gone: a row the store cannot drop now describes nothing (its identity is
    // that of a file no longer there) and is dropped when next met, so it fails nothing. Only
    // the deleted file's own row goes: another program's rename may have brought a file and
    // its row to the name since the file was looked at.
    store_.RemoveQuietly(KeyOf(e), &deleted);
    ForgetTemporary(deleted);
    SettleAttributes(KeyOf(e));
    AdjustUsage(e.volume, e.st.size, 0);
    NoteRemoved(*e.volume, e.parentRel, e.name);
    e.exists = false;
    return 0;
}

std::uint32_t Core::MakeDirectory(Entry& e) {
    if (!e.parentExists)
        return win::ERROR_PATH_NOT_FOUND;
    NameNotAlias(e);
    if (e.exists)
        return win::ERROR_ALREADY_EXISTS;
    std::string name;
    if (!NewEntryName(*e.volume, e.name, &name))
        return win::ERROR_INVALID_NAME;
    std::string dirLocal =
        e.parentRel.empty() ? e.volume->local : e.volume->local + "/" + e.parentRel;
    if (MakeDirectoryAt(dirLocal + "/" + name, 0755) != 0)
        return WinError(errno);
    e.name = name;
    e.local = dirLocal + "/" + name;
    e.st = StatPath(e.local);
    e.exists = true;
    NoteAdded(*e.volume, e.parentRel, name);
    MoveAliasOn(*e.volume, e.parentRel, name);
    return 0;  // a new directory has the defaults, which need no row
}

std::uint32_t Core::RemoveDirectoryEntry(Entry& e) {
    if (!e.parentExists)
        return win::ERROR_PATH_NOT_FOUND;
    if (!e.exists)
        return win::ERROR_FILE_NOT_FOUND;
    if (e.isRoot)
        return win::ERROR_ACCESS_DENIED;
    if (!e.st.isDir)
        return kErrorDirectory;
    // A directory that holds only things that are not NetWare entries (links, odd names)
    // still holds them: rmdir refuses, and nothing is deleted through them.
    if (UnlinkAt(e.local, AT_REMOVEDIR) != 0)
        return errno == ENOTEMPTY || errno == EEXIST ? win::ERROR_DIR_NOT_EMPTY : WinError(errno);
    store_.RemoveQuietly(KeyOf(e));
    NoteRemoved(*e.volume, e.parentRel, e.name);
    indexes_.Erase(e.local);
    resolved_.clear();
    NewEpoch();  // directories held below it are gone
    e.exists = false;
    return 0;
}

namespace {

// Swaps two names in one step; false when the file system cannot (then nothing changed).
bool Exchange(const std::string& a, const std::string& b) {
    return RenameAt(a, b, RENAME_EXCHANGE) == 0;
}

// Swaps two names back after a swap, only while each still holds what the swap put there:
// a file another program put at either name meanwhile is never moved.
void SwapBack(const std::string& from, const std::string& target, const FileIdentity& moved,
              const FileIdentity& replaced) {
    if (Holds(target, moved) && Holds(from, replaced))
        Exchange(from, target);
}

// Moves the renamed entry back to its old name, only the entry itself: when another program
// puts a file of its own at the name between the look and the move, that file goes back.
void MoveBack(const std::string& from, const std::string& target, const FileIdentity& moved) {
    if (!Holds(target, moved) || RenameAt(target, from, RENAME_NOREPLACE) != 0)
        return;
    if (!Holds(from, moved))
        RenameAt(from, target, RENAME_NOREPLACE);
}

}  // namespace

bool Core::RowOfALaterFile(const EntryKey& key, const FileIdentity& renamed,
                           const FileIdentity* replaced) {
    const std::optional<FileIdentity> row = store_.RowIdentity(key);
    return row && !row->SameFile(renamed) && !(replaced && row->SameFile(*replaced));
}

std::uint32_t Core::FollowRename(const Entry& from, const EntryKey& fromKey, const EntryKey& toKey,
                                 const std::string& targetLocal, const FileIdentity* replaced) {
    const FileIdentity identity = IdentityOf(from.st);
    // A file without a row that took a free name (a copy's new file) has no row to carry, and
    // decides no other row: one an earlier file left under the name has another identity and
    // is dropped when met. No row is written, so no write lock is taken; the name may only
    // move an alias on.
    MetaRow moved;
    if (!replaced && !from.st.isDir && !StoredMeta(from, &moved)) {
        MoveAliasOn(*from.volume, toKey.dir, toKey.name);
        store_.CommitPending();
        return store_.Failure();
    }
    // While the write lock is held no other program's row can come or go: the disk and the
    // rows now decide whose row the name gets.
    store_.HoldWriteLock();
    // A file is not at the name for two reasons. Another program's rename took the name since
    // and moved its row there first (or moved the entry on): the row left under the old name
    // describes nothing there any more. Or another program's replacement has swapped its file
    // in only for an instant, to swap it back out once it sees the name held a file it had not
    // looked at: the file comes back, and must find its row there. Only a row of a later file
    // tells the first from the second; a later file without a row of its own is followed by
    // its program's rename, which replaces this row.
    if (!Holds(targetLocal, identity) &&
        (from.st.isDir || RowOfALaterFile(toKey, identity, replaced))) {
        store_.Remove(fromKey, &identity);
    } else {
        // The row follows the entry. A file without a row has only defaults, which it keeps
        // under its new name without one; a row under the new name describes a file no longer
        // there (the replaced one) and goes either way. A directory's move also carries the
        // rows below it.
        if (StoredMeta(from, &moved) || from.st.isDir)
            store_.Move(fromKey, toKey, identity, from.st.isDir);
        else
            store_.Remove(toKey);
        if (!replaced)
            MoveAliasOn(*from.volume, toKey.dir, toKey.name);
    }
    store_.CommitPending();
    return store_.Failure();
}

std::uint32_t Core::SwapIn(const std::string& from, const std::string& target,
                           const FileIdentity& moved, const FileIdentity& replaced, bool* swapped) {
    // The swap, its check and its undo are one act to every other program: each holds the
    // store's write lock through them. Two replacements of one name whose swaps crossed would
    // each find a file at the name it had not looked at, and the undo of one could put back
    // at the name the other's file, which neither delivered. The rows' decision that follows
    // takes the lock again, so it never meets another program's file at the name for only
    // this instant either.
    store_.HoldWriteLock();
    if (const std::uint32_t failure = store_.Failure())
        return failure;
    *swapped = Exchange(from, target);
    if (!*swapped && RenameAt(from, target, 0) != 0) {
        const std::uint32_t err = WinError(errno);
        store_.CommitPending();
        return err;
    }
    Interleave(SimNetwork::kSwapped, target);
    // Another program may have put a file of its own at the name since it was looked at:
    // that one is not replaced unseen. It goes back, and the rename is refused. When it can
    // no longer go back (another program deleted it under the old name meanwhile), the entry
    // stays where the swap put it, and its row follows: a file is never left without its own.
    const bool refused =
        *swapped && !Holds(from, replaced) && (!Holds(target, moved) || Exchange(from, target));
    store_.CommitPending();
    return refused ? win::ERROR_SHARING_VIOLATION : 0;
}

std::uint32_t Core::Rename(Entry& from, Entry& to, bool replace) {
    if (!from.parentExists)
        return win::ERROR_PATH_NOT_FOUND;
    if (!from.exists)
        return win::ERROR_FILE_NOT_FOUND;
    if (!to.parentExists)
        return win::ERROR_PATH_NOT_FOUND;
    if (from.isRoot || to.isRoot)
        return win::ERROR_ACCESS_DENIED;
    if (from.volume != to.volume)
        return kErrorNotSameDevice;
    if (IsOpen(from.st))
        return win::ERROR_SHARING_VIOLATION;
    Volume& v = *from.volume;
    std::string toDir = to.parentRel.empty() ? v.local : v.local + "/" + to.parentRel;
    // A rename onto a name that is only another entry's alias makes that name: it never
    // replaces the entry whose alias it is.
    if (to.exists && (to.st.inode != from.st.inode || to.st.device != from.st.device))
        NameNotAlias(to);
    bool sameEntry = to.exists && to.st.inode == from.st.inode && to.st.device == from.st.device;
    std::string target;
    std::uint64_t replacedSize = 0;
    bool replacing = false;
    if (to.exists && !sameEntry) {
        if (!replace)
            return win::ERROR_ALREADY_EXISTS;
        if (to.st.isDir || from.st.isDir)
            return win::ERROR_ACCESS_DENIED;
        MetaRow toRow;
        BeforeChange(to);
        StoredMeta(to, &toRow);
        if (toRow.attributes & nw::A_READ_ONLY)
            return win::ERROR_ACCESS_DENIED;
        if (IsOpen(to.st))
            return win::ERROR_SHARING_VIOLATION;
        // The file takes the place of the existing one under that one's name, so that two
        // names differing only in case never arise.
        target = to.name;
        replacedSize = to.st.size;
        replacing = true;
    } else {
        if (!NewEntryName(v, to.name, &target))
            return win::ERROR_INVALID_NAME;
    }
    std::string targetLocal = toDir + "/" + target;
    if (targetLocal == from.local)
        return 0;
    EntryKey fromKey = KeyOf(from);
    EntryKey toKey{fromKey.server, fromKey.volume, to.parentRel, target};
    const FileIdentity fromIdentity = IdentityOf(from.st);
    // Journaled before the disk changes: a process stopped between the rename on the disk and
    // its rows in the store leaves enough for the next one to finish it. A file without a row
    // that takes a free name leaves nothing to finish (a temporary file, the copy's usual
    // case, is known by its own record on either side of the rename), so it needs no record.
    MetaRow fromRow;
    if (replacing || from.st.isDir || StoredMeta(from, &fromRow)) {
        Journal::Record intent;
        intent.kind = Journal::kRenaming;
        intent.key = fromKey;
        intent.identity = fromIdentity;
        intent.target = toKey;
        if (replacing)
            intent.targetIdentity = {to.st.inode, to.st.birth};
        if (const std::uint32_t err = journal_.Write(intent))
            return err;
    }
    // A replacement swaps the two names, so that until the store has taken the change the old
    // file can be put back; it is removed once the change is kept.
    bool swapped = false;
    const FileIdentity replacedIdentity{to.st.inode, to.st.birth};
    if (replacing) {
        if (const std::uint32_t err =
                SwapIn(from.local, targetLocal, fromIdentity, replacedIdentity, &swapped))
            return err;
    } else if (RenameAt(from.local, targetLocal, sameEntry ? 0 : RENAME_NOREPLACE) != 0) {
        return errno == EEXIST ? win::ERROR_ALREADY_EXISTS : WinError(errno);
    }
    Interleave(SimNetwork::kRenamedOnDisk, targetLocal);
    if (const std::uint32_t failure = FollowRename(from, fromKey, toKey, targetLocal,
                                                   replacing ? &replacedIdentity : nullptr)) {
        // The store did not take it: the disk goes back to how it was.
        if (swapped)
            SwapBack(from.local, targetLocal, fromIdentity, replacedIdentity);
        else if (!replacing)
            MoveBack(from.local, targetLocal, fromIdentity);
        return failure;
    }
    if (swapped)
        UnlinkChecked(fromKey, from.local, replacedIdentity);  // the replaced file, now there
    if (replacing) {
        AdjustUsage(&v, replacedSize, 0);
        SettleAttributes(toKey);
    }
    NoteRemoved(v, from.parentRel, from.name, from.parentRel != to.parentRel);
    NoteAdded(v, to.parentRel, target);
    ForgetTemporary(fromIdentity);
    if (from.st.isDir) {
        indexes_.Erase(from.local);
        resolved_.clear();  // paths through the directory lead elsewhere now
        NewEpoch();
    }
    to.name = target;
    to.local = targetLocal;
    // A rename changes nothing a file's stat gives; a directory moved elsewhere may get a new
    // time (its ".." changes).
    to.st = from.st.isDir ? StatPath(targetLocal) : from.st;
    to.exists = true;
    from.exists = false;
    return 0;
}

}  // namespace sim
