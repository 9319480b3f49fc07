#include "app/shell/batch/batch_output_name.h"

namespace shell {

namespace {

char Folded(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool ClashesWithSource(const std::string& path, const FileList& sources)
{
    for (const CFileNameAndTime& file : sources) {
        if (SamePath(path, static_cast<const char*>(file.GetPath())))
            return true;
    }
    return false;
}

bool ClashesWithWritten(const std::string& path, const std::vector<std::string>& written)
{
    for (const std::string& output : written) {
        if (SamePath(path, output))
            return true;
    }
    return false;
}

}  // namespace

std::string FolderOfPath(const std::string& path)
{
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string BaseNameOfPath(const std::string& path)
{
    const size_t separator = path.find_last_of("\\:");
    std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool SamePath(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Folded(a[i]) != Folded(b[i]))
            return false;
    }
    return true;
}

BatchOutputName MakeBatchOutputName(const BatchOutputRequest& request, const std::string& extension,
                                    const FileList& sources, const std::vector<std::string>& written,
                                    const NumberedNamer& numbered)
{
    std::string folder = request.useSourceFolder ? FolderOfPath(request.sourcePath) : request.destinationFolder;
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';

    BatchOutputName result;
    if (request.useSourceFileName) {
        const std::string chosen = folder + BaseNameOfPath(request.sourcePath) + extension;
        if (SamePath(chosen, request.sourcePath) || ClashesWithSource(chosen, sources))
            result.renamed = kOutputWouldReplaceSource;
        else if (ClashesWithWritten(chosen, written))
            result.renamed = kOutputAlreadyWritten;
        else {
            result.path = chosen;
            return result;
        }
    }
    // A numbered name skips every existing file; it may still name a file of
    // this run that has gone since (deleted after processing).
    for (int tries = 0; tries < 1000; ++tries) {
        std::string name = numbered(folder, extension);
        if (name.empty())
            return result;
        if (!SamePath(name, request.sourcePath) && !ClashesWithSource(name, sources) &&
            !ClashesWithWritten(name, written)) {
            result.path = name;
            return result;
        }
    }
    return result;
}

bool MayDeleteSource(const std::string& source, const std::string& output, bool outputWritten, uint64_t outputSize)
{
    return outputWritten && outputSize > 0 && !output.empty() && !SamePath(source, output);
}

}  // namespace shell
