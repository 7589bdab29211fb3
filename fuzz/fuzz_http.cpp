// The web site's answer is read as it arrives, split wherever the network
// splits it: the same bytes must give the same outcome however they come, and
// nothing a server sends may crash the reader or pass a cut-off body as whole.
#include "cards/HttpResponseParser.h"

#include <cstdint>
#include <cstdlib>

using namespace useropts;

namespace {

// Small limits, so that inputs of a few KB reach them.
constexpr qint64 kBodyLimit = 2048;
constexpr qsizetype kHeadLimit = 1024;

bool sameOutcome(const HttpResponseParser& a, const HttpResponseParser& b)
{
    return a.state() == b.state() && a.refusal() == b.refusal() &&
           a.headComplete() == b.headComplete() && a.status() == b.status() &&
           a.reasonPhrase() == b.reasonPhrase() && a.contentType() == b.contentType() &&
           a.location() == b.location() && a.body() == b.body();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const QByteArrayView input(reinterpret_cast<const char*>(data) + 2,
                               static_cast<qsizetype>(size - 2));
    const qsizetype split = (data[0] | data[1] << 8) % (input.size() + 1);

    HttpResponseParser whole(kBodyLimit, kHeadLimit);
    whole.feed(input);
    whole.finishInput();

    HttpResponseParser pieces(kBodyLimit, kHeadLimit);
    pieces.feed(input.first(split));
    pieces.feed(input.sliced(split));
    pieces.finishInput();

    if (!sameOutcome(whole, pieces))
        std::abort();
    if (whole.state() == HttpResponseParser::State::NeedsMore)
        std::abort(); // the end of the connection always decides
    if (whole.state() == HttpResponseParser::State::Refused &&
        (whole.refusal().isEmpty() || !whole.body().isEmpty()))
        std::abort();
    if (whole.state() == HttpResponseParser::State::Complete &&
        (!whole.headComplete() || whole.body().size() > kBodyLimit ||
         whole.body().size() > input.size()))
        std::abort();
    return 0;
}
