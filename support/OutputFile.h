#pragma once

#include <optional>
#include <string>

#include "AtomicFileWriter.h"
#include "ByteStreams.h"

namespace ciphora {

// An output file, written the way its target allows. A regular file, or a
// name not yet taken, is replaced atomically (AtomicFileWriter), so that it
// appears whole or not at all. Anything else (a device, a FIFO, a socket, a
// descriptor of this process such as /dev/stdout, a Windows device name) is
// written in place, in order, and never renamed over; what it received
// before a failure stays received. Links are written through. Failures
// raise WriteFailure.
class OutputFile {
public:
    // `traits`: what a replaced file takes (see AtomicFileWriter).
    explicit OutputFile(const std::string& path, NewFileTraits traits = {});

    // Where the bytes go: a PositionedSink when the file is replaced.
    ByteSink& Sink();
    // The same sink, when it may be written at any offset: the file is replaced.
    PositionedSink* Positioned() { return replacement_ ? &*replacement_ : nullptr; }
    // Whether the target is replaced whole, rather than written in place.
    bool Replaces() const { return replacement_.has_value(); }
    // Finishes the output: the replacement takes the target's place, or the
    // target written in place is closed.
    void Commit();

private:
    std::optional<AtomicFileWriter> replacement_;
    std::optional<StreamSink> inPlace_;
};

}  // namespace ciphora
