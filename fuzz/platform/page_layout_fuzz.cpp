// Tutorial pages are files people edit: any bytes, taken as a Windows-1252 page,
// lay out and paint without a fault at a narrow and a wide size.
#include "platform/browser/Browser.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string file = [] {
        std::string name = (std::filesystem::temp_directory_path() / "varek-page-fuzz-XXXXXX").string();
        const int fd = mkstemp(name.data());
        if (fd >= 0)
            close(fd);
        return name;
    }();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    platform::Browser browser([](const std::string&) {});
    browser.Navigate(file);
    for (int width : {37, 300}) {
        browser.SetControlRect({0, 0, width, 200});
        browser.Update();
    }
    return 0;
}
