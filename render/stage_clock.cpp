#include "render/stage_clock.h"

#include "base/run_flags.h"

#include <ctime>

namespace {

struct driver_clock {
    int depth;
    double started;  // thread CPU time at the outermost begin
    double seconds;  // summed over the run
};
driver_clock driver;

double thread_cpu_seconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

}  // namespace

bool driver_time_split = false;
bool stage_timing = false;

stage_time stage_clock_now() {
    if (!stage_timing) return stage_time{0, 0, 0};
    return stage_time{monotonic_seconds(), thread_cpu_seconds(), driver.seconds};
}

void stage_clock_add(stage_time* sum, const stage_time& start) {
    stage_time now = stage_clock_now();
    sum->wall += now.wall - start.wall;
    sum->cpu += now.cpu - start.cpu;
    sum->driver += now.driver - start.driver;
}

void driver_span_begin() {
    if (driver_time_split && driver.depth++ == 0) driver.started = thread_cpu_seconds();
}

void driver_span_end() {
    if (driver.depth <= 0) return;  // also when the split was switched on inside a span
    if (--driver.depth == 0) driver.seconds += thread_cpu_seconds() - driver.started;
}
