// The command line: arguments separated by NUL bytes, as the system hands them over.

#include "CCommandLine.h"
#include "FuzzInput.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<QByteArray> args = FuzzParts(data, size, '\0');
    const CCommandLineInfo info = ParseCommandLine(args);
    FUZZ_ASSERT((info.m_nShellCommand == CCommandLineInfo::FileOpen)
                == !info.m_strFileName.isEmpty());
    std::vector<char *> argv {const_cast<char *>("quillbrow")};
    for (QByteArray &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const bool bEarly = WantsHelpOrVersion(int(argv.size() - 1), argv.data());
    FUZZ_ASSERT(bEarly == (info.m_bShowHelp || info.m_bShowVersion));
    return 0;
}
