#include "driver/driver.h"
#include "platform/system.h"

int main(int argc, char** argv) {
    zel::platform::prepareConsole();
    zel::platform::prepareMemory();
    return zel::runDriver(zel::platform::commandLine(argc, argv));
}
