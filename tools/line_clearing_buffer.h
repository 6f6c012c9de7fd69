#pragma once
// An output stream's buffer that erases the progress line before anything passes through it,
// so that a box or a result line never lands in the middle of the line on the terminal.

#include <ostream>
#include <streambuf>

#include "tools/progress_line.h"

class LineClearingBuffer : public std::streambuf {
  public:
    LineClearingBuffer(std::streambuf* inner, ProgressLine& line) : inner_(inner), line_(line) {}

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        line_.Clear();
        return inner_->sputc(traits_type::to_char_type(c));
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        line_.Clear();
        return inner_->sputn(s, n);
    }
    int sync() override { return inner_->pubsync(); }

  private:
    std::streambuf* inner_;
    ProgressLine& line_;
};

// Puts a LineClearingBuffer in front of a stream's buffer for as long as it exists.
class LineClearingStream {
  public:
    LineClearingStream(std::ostream& stream, ProgressLine& line)
        : stream_(stream), inner_(stream.rdbuf()), buffer_(inner_, line) {
        stream_.rdbuf(&buffer_);
    }
    ~LineClearingStream() {
        stream_.flush();
        stream_.rdbuf(inner_);
    }
    LineClearingStream(const LineClearingStream&) = delete;
    LineClearingStream& operator=(const LineClearingStream&) = delete;

  private:
    std::ostream& stream_;
    std::streambuf* inner_;
    LineClearingBuffer buffer_;
};
