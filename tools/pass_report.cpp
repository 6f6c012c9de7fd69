#include "tools/pass_report.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <sstream>

namespace {

constexpr std::size_t kHeader = 5;
constexpr std::size_t kGather = 16384;

void PutNumber(std::ostringstream& out, const ByteCount& count) {
    out << count.ToU64() << ' ';  // the error state travels as its own bit pattern
}

bool GetNumber(std::istringstream& in, ByteCount* count) {
    std::uint64_t value = 0;
    if (!(in >> value))
        return false;
    *count = ByteCount::From(value);
    return true;
}

}  // namespace

ProgressSnapshot PassPart(PassStage stage, const std::optional<ProgressSnapshot>& latest,
                          const std::string& server, std::uint64_t files, std::uint64_t bytes) {
    ProgressSnapshot part;
    part.filesTotal = files;
    part.bytesTotal = bytes;
    if (stage == PassStage::Ended) {
        part.filesDone = files;
        part.bytesDone = bytes;
    } else if (stage == PassStage::Running) {
        if (latest) {
            part.filesDone = std::min(latest->filesDone, files);
            part.bytesDone = std::min(latest->bytesDone, bytes);
        }
        part.servers.push_back(server);
    }
    return part;
}

bool PassReportWriter::Send(PassFrame kind, const std::string& bytes) {
    std::string frame(kHeader, '\0');
    frame[0] = static_cast<char>(kind);
    const auto size = static_cast<std::uint32_t>(bytes.size());
    for (int i = 0; i < 4; ++i)
        frame[1 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    frame += bytes;
    std::size_t done = 0;
    while (done < frame.size()) {
        const ssize_t n = ::write(fd_, frame.data() + done, frame.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool PassReportWriter::SendTotals(const PassTotals& t) {
    std::ostringstream out;
    out << static_cast<int>(t.result.status) << ' ';
    PutNumber(out, t.result.files);
    PutNumber(out, t.result.bytes);
    out << t.result.errors << ' ';
    PutNumber(out, t.result.deletedFiles);
    PutNumber(out, t.result.deletedDirectories);
    for (const ByteCount* count : {&t.filesUpdated, &t.bytesUpdated, &t.bytesProcessed,
                                   &t.filesDeleted, &t.directoriesDeleted, &t.bytesDeleted})
        PutNumber(out, *count);
    out << t.errorMessages << ' ' << (t.goOn ? 1 : 0);
    return Send(PassFrame::Totals, out.str());
}

bool PassReportWriter::SendProgress(const ProgressSnapshot& p) {
    std::ostringstream out;
    out << (p.counting ? 1 : 0) << ' ' << p.filesDone << ' ' << p.filesTotal << ' ' << p.bytesDone
        << ' ' << p.bytesTotal << ' ' << p.servers.size();
    for (const std::string& server : p.servers)
        out << ' ' << server.size() << ' ' << server;
    return Send(PassFrame::Progress, out.str());
}

PassFrameBuffer::int_type PassFrameBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    xsputn(&ch, 1);
    return c;
}

std::streamsize PassFrameBuffer::xsputn(const char* s, std::streamsize n) {
    pending_.append(s, static_cast<std::size_t>(n));
    if (pending_.size() >= kGather)
        sync();
    return n;
}

int PassFrameBuffer::sync() {
    if (pending_.empty())
        return 0;
    const bool sent = writer_.Send(kind_, pending_);
    pending_.clear();
    return sent ? 0 : -1;
}

bool PassReportReader::Take(const char* bytes, std::size_t size) {
    inbox_.append(bytes, size);
    std::size_t at = 0;
    bool ok = true;
    while (ok && inbox_.size() - at >= kHeader) {
        std::uint32_t length = 0;
        for (int i = 0; i < 4; ++i)
            length |= static_cast<std::uint32_t>(static_cast<unsigned char>(inbox_[at + 1 + i]))
                      << (8 * i);
        if (inbox_.size() - at - kHeader < length)
            break;
        ok = Dispatch(static_cast<PassFrame>(inbox_[at]), inbox_.substr(at + kHeader, length));
        at += kHeader + length;
    }
    inbox_.erase(0, at);
    return ok;
}

bool PassReportReader::Dispatch(PassFrame kind, const std::string& body) {
    switch (kind) {
        case PassFrame::Output:
            output += body;
            return true;
        case PassFrame::Errors:
            errors += body;
            return true;
        case PassFrame::Log:
            log += body;
            return true;
        case PassFrame::Totals:
            return TakeTotals(body);
        case PassFrame::Progress:
            return TakeProgress(body);
    }
    return false;
}

bool PassReportReader::TakeProgress(const std::string& body) {
    std::istringstream in(body);
    ProgressSnapshot p;
    int counting = 0;
    std::size_t servers = 0;
    if (!(in >> counting >> p.filesDone >> p.filesTotal >> p.bytesDone >> p.bytesTotal >> servers))
        return false;
    p.counting = counting != 0;
    for (std::size_t i = 0; i < servers; ++i) {
        std::size_t length = 0;
        // A name is its length, one space, its bytes (names may hold spaces).
        if (!(in >> length) || in.get() != ' ' || length > body.size())
            return false;
        std::string name(length, '\0');
        if (!in.read(name.data(), static_cast<std::streamsize>(length)))
            return false;
        p.servers.push_back(std::move(name));
    }
    progress = std::move(p);
    return true;
}

bool PassReportReader::TakeTotals(const std::string& body) {
    std::istringstream in(body);
    PassTotals t;
    int status = 0;
    int goOn = 0;
    if (!(in >> status) || status < 0 || status > static_cast<int>(ServerStatus::Stopped) ||
        !GetNumber(in, &t.result.files) || !GetNumber(in, &t.result.bytes) ||
        !(in >> t.result.errors) || !GetNumber(in, &t.result.deletedFiles) ||
        !GetNumber(in, &t.result.deletedDirectories))
        return false;
    for (ByteCount* count : {&t.filesUpdated, &t.bytesUpdated, &t.bytesProcessed, &t.filesDeleted,
                             &t.directoriesDeleted, &t.bytesDeleted})
        if (!GetNumber(in, count))
            return false;
    if (!(in >> t.errorMessages >> goOn))
        return false;
    t.result.status = static_cast<ServerStatus>(status);
    t.goOn = goOn != 0;
    totals = t;
    return true;
}
