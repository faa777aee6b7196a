// libFuzzer target: the project file reader on arbitrary bytes. Whatever the
// bytes, reading must end (no hang), must not crash or leak, and must leave
// a project that still reports.

#include "FuzzLibrary.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace {

vk::fuzz::TFuzzLibrary* library = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vk::RegisterElementKinds();
    static vk::fuzz::TSilentUi silent;
    vk::setUserInterface(&silent);
    static vk::fuzz::TFuzzLibrary fake;
    library = &fake;
    vk::SetTileDB(library);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    vk::TProject project;
    project.LoadFromBytes(bytes, QStringLiteral("fuzz.mpp"));
    (void)project.Report();
    return 0;
}
