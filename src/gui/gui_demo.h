#pragma once

#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <string>

namespace rl4 {

// The demonstration: the software matrix on a pseudo-terminal, with a few crosspoints already made, and
// a fresh program folder whose port 1 reaches it, with a small assignment and settings that ask nothing.
// The user's own files are left alone; the matrix stops and the folder goes when the demo ends.
class DemoMatrix {
public:
    // The software matrix: $ROUTELANE4_MATRIXSIM, else beside the program (installed, both are in the same
    // bin folder) or in the build tree's sim folder next to it, else the first on PATH.
    static std::string findMatrixSimulator(const std::string& executablePath);

    // Nothing, with `error` set, when the matrix or the folder cannot be made.
    static std::unique_ptr<DemoMatrix> start(const std::string& executablePath, int language,
                                             std::string& error);
    ~DemoMatrix();
    DemoMatrix(const DemoMatrix&) = delete;
    DemoMatrix& operator=(const DemoMatrix&) = delete;

    const std::string& folder() const { return folder_; }

private:
    DemoMatrix() = default;
    std::string startSimulator(const std::string& simulator);
    std::string makeCrosspoints();
    std::string writeFiles(int language);

    QTemporaryDir dir_;
    std::string folder_;
    QProcess simulator_;
};

} // namespace rl4
