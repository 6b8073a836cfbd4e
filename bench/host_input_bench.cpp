// Cost of the host input against the 16.693 ms game frame: the per-iteration mapping
// and pedal emulation with a controller and a raw joystick plugged in, one poll of a
// serial pedal source (nothing waiting, and one line waiting), and the cadence over a
// full ring. Each is once per main-loop iteration at most.
#include "board/board_memory.h"
#include "host/encoder.h"
#include "host/input_update.h"
#include "host/pads.h"
#include "tests/support/virtual_pads.h"

#include <benchmark/benchmark.h>
#include <pty.h>
#include <unistd.h>

namespace {

void BM_InputFrameWithDevices(benchmark::State& state) {
    board_memory_clear();
    SDL_Init(SDL_INIT_GAMECONTROLLER);
    virtual_pad_attach("Bench Pad");
    virtual_wheel_attach("Bench Wheel", 3, 4);
    pads_init();
    encoder_init(false);
    for (auto _ : state) {
        input_update();
        pedal_emulate();
    }
    SDL_Quit();
}
BENCHMARK(BM_InputFrameWithDevices);

void BM_SerialPoll(benchmark::State& state) {
    int master = -1, slave = -1;
    char path[128];
    if (openpty(&master, &slave, path, nullptr, nullptr) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    encoder_setting_apply("enc_source", "serial");
    encoder_setting_apply("enc_serial", path);
    encoder_setting_apply("enc_serial_proto", "rpm");
    encoder_init(true);
    encoder_poll_serial(0);
    bool line = state.range(0) != 0;
    uint32_t now = 0;
    for (auto _ : state) {
        if (line) {
            state.PauseTiming();
            benchmark::DoNotOptimize(write(master, "60\n", 3));
            usleep(50);  // the line reaches the slave side
            state.ResumeTiming();
        }
        encoder_poll_serial(now += 16);
    }
    serial_close(&encoder.port);
    close(master);
    close(slave);
}
BENCHMARK(BM_SerialPoll)->Arg(0)->Arg(1);

void BM_CadenceFullRing(benchmark::State& state) {
    cadence_ring ring;
    cadence_reset(&ring, 96);
    for (uint32_t t = 0; t < 2000; t += 11) cadence_add_counts(&ring, t, 1);
    for (auto _ : state) benchmark::DoNotOptimize(cadence_rpm(&ring, 2000));
}
BENCHMARK(BM_CadenceFullRing);

}  // namespace
