#include "driver/driver.h"
#include "platform/utf.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::u16string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(zel::platform::fromSystemName(argv[i]));
    return zel::runDriver(arguments);
}
