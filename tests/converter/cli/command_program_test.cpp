// The `reelpack` program as a user runs it: from a folder with a relative
// path, with standard error piped or on a terminal, and stopped by a signal.
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/converter/job/job_test_support.h"

namespace job_test {
namespace {

struct ProgramRun {
  int status = -1;
  std::string out;  // standard output (and, on a terminal, standard error too)
  std::string err;
};

void ExecReelpack(const std::string& folder, const std::vector<std::string>& args) {
  if (chdir(folder.c_str()) != 0) _exit(126);
  std::vector<char*> argv;
  static const std::string program = NOVEL_BINARY_DIR "/bin/reelpack";
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  execv(program.c_str(), argv.data());
  _exit(127);
}

int ExitStatus(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(got));
  return text;
}

// Runs the program with both outputs piped. With stopSignal, the signal is
// sent once standard error says the movie is being written.
ProgramRun RunPiped(const std::string& folder, const std::vector<std::string>& args, int stopSignal = 0) {
  int outPipe[2];
  int errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    dup2(outPipe[1], STDOUT_FILENO);
    dup2(errPipe[1], STDERR_FILENO);
    close(outPipe[0]);
    close(errPipe[0]);
    ExecReelpack(folder, args);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  ProgramRun run;
  if (stopSignal != 0) {
    char c;
    while (read(errPipe[0], &c, 1) == 1) {
      run.err += c;
      if (run.err.find("writing the movie\n") != std::string::npos) break;
    }
    usleep(200000);
    kill(child, stopSignal);
  }
  run.err += ReadAll(errPipe[0]);
  run.out = ReadAll(outPipe[0]);
  close(outPipe[0]);
  close(errPipe[0]);
  run.status = ExitStatus(child);
  return run;
}

ProgramRun RunOnTerminal(const std::string& folder, const std::vector<std::string>& args) {
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child == 0) ExecReelpack(folder, args);
  ProgramRun run;
  if (child < 0) return run;
  char buffer[4096];
  // Reading ends with EIO once the program has closed its side.
  for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;) run.out.append(buffer, static_cast<std::size_t>(got));
  close(terminal);
  run.status = ExitStatus(child);
  return run;
}

using CommandProgram = JobTest;

TEST_F(CommandProgram, PipedOutputHasOneLinePerPhaseAndNoCarriageReturns) {
  ASSERT_FALSE(SoundStream("clip.mpg", 1.0).empty());
  const ProgramRun run = RunPiped(dir_.HostPath(""), {"clip.mpg"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.find('\r'), std::string::npos);
  EXPECT_NE(run.err.find("reelpack: clip.mpg: writing the movie\n"), std::string::npos) << run.err;
  // Relative to the current folder, where the outputs go by default.
  const auto size = [this](const char* name) { return std::to_string(std::filesystem::file_size(dir_.HostPath(name))); };
  EXPECT_EQ(run.out, "./clip.rzm2  " + size("clip.rzm2") + " bytes\n./clip.mp3  " + size("clip.mp3") + " bytes\n");
}

TEST_F(CommandProgram, OnATerminalTheBarIsRedrawnAndEndsWithANewLine) {
  ASSERT_FALSE(FixturePath("vga").empty());
  const ProgramRun run = RunOnTerminal(dir_.HostPath(""), {"-j", "1", "-o", Out(""), FixturePath("vga")});
  ASSERT_EQ(run.status, 0) << run.out;
  const std::string redraw = "\r\x1b[K[";
  std::size_t draws = 0;
  for (std::size_t at = run.out.find(redraw); at != std::string::npos; at = run.out.find(redraw, at + 1)) ++draws;
  EXPECT_GE(draws, 2u) << run.out;
  const std::string last = run.out.substr(run.out.rfind(redraw));
  EXPECT_NE(last.find("] 30/30 frames  29.970 fps"), std::string::npos) << last;
  EXPECT_NE(last.find('\n'), std::string::npos);
  EXPECT_NE(last.find("vga.rzm2  "), std::string::npos);
}

TEST_F(CommandProgram, ASignalStopsTheJobAndLeavesNothing) {
  const std::string input = MakeStream(dir_.HostPath("long.mpg"), "mandelbrot=size=640x480:rate=30", "",
                                       "-t 20 -c:v mpeg1video -q:v 2 -f mpeg");
  ASSERT_FALSE(input.empty());
  for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
    SCOPED_TRACE(signal);
    dir_.WriteFile("out/long.rzm2", "an earlier movie");
    const ProgramRun run = RunPiped(dir_.HostPath(""), {"-j", "1", "--frame-rate", "full", "-o", "out", "long.mpg"}, signal);
    EXPECT_EQ(run.status, status) << run.err;
    EXPECT_NE(run.err.find("reelpack: long.mpg: stopped; nothing was written\n"), std::string::npos) << run.err;
    EXPECT_EQ(OutNames(), std::vector<std::string>{"long.rzm2"});
    EXPECT_EQ(dir_.ReadFile("out/long.rzm2"), "an earlier movie");
  }
}

}  // namespace
}  // namespace job_test
