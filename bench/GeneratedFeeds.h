#pragma once

#include <QString>

// Feeds generated deterministically for the benchmarks, so that runs compare: items an hour
// apart, newest first, with titles, links, dates and descriptions of realistic size.
namespace GeneratedFeeds {

[[nodiscard]] QString rssFeed(int feed, int count);
[[nodiscard]] QString atomFeed(int feed, int count);

// A feed identifier of the program's form, different for each n.
[[nodiscard]] QString feedId(int n);

// The process's peak resident memory in MB (VmHWM: unlike getrusage not inherited across exec).
[[nodiscard]] double peakMemoryMb();

} // namespace GeneratedFeeds
