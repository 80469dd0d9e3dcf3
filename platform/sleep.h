#pragma once

namespace platform {

void SleepMilliseconds(int ms);

}  // namespace platform
