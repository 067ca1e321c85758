// An error escaping a job ends the command with one message and status 70, leaving nothing in
// the result's folder: the command line's own path, run on declarations the program never ships.
#include "operation_commands.h"
#include "run_operation.h"
#include "test_support.h"
#include "throwing_jobs.h"

#include <gtest/gtest.h>

namespace sonarium {
namespace {

TEST(InternalError, TheCommandLineReportsItAndWritesNothing) {
    test::TempAudioRoot root;
    test::TempDir dir;
    test::TempDir results; // only results ever appear here
    const std::string source = test::writeWave(dir.file("source.wav"), test::ramp(1'000'000));
    const test::Bytes before = test::readBytes(source);
    for (const test::ThrowingJob& job : test::throwingJobs(false)) {
        SCOPED_TRACE(job.what);
        testing::internal::CaptureStderr();
        const int status =
            runOperation(job.decl, {"--quiet", source, "-o", results.file("out.wav")});
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, 70);
        EXPECT_EQ(err, "sonarium-cli: " + job.message + "\n");
        EXPECT_TRUE(test::folderEntries(results.path()).empty()) << "a result or its temporary";
        EXPECT_EQ(test::readBytes(source), before);
    }
}

} // namespace
} // namespace sonarium
