#pragma once

#include <functional>

// Work on the pages of one document side by side, up to one page per core.
namespace PageWorkers {

// Calls `work` once for each page from 0 to count − 1 on up to `threads`
// threads. Each page done moves the current job's progress on. The first
// failure stops the other pages (their child programs are ended) and is
// thrown; a cancel of the current job stops them all and throws Cancelled.
void run(int count, int threads, const std::function<void(int page)>& work);

// The number of pages to work on at once: the number of cores.
int threadCount();

} // namespace PageWorkers
