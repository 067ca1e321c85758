// history, replay and batch: the chain that made a file as commands, and running it again on
// other original files.
#pragma once

namespace sonarium {

// history FILE [--json]: the script that makes FILE again from its originals (the records with
// --json). 0 printed, 1 no record, 2 a usage error.
int runHistoryCommand(int argc, char** argv);
// replay CHAIN --input ORIGINAL=NEW... -o OUT: the chain's steps on other originals, the last
// step's result written to OUT. 0 done, 1 a step ended without its result, 2 a usage error.
int runReplayCommand(int argc, char** argv);
// batch CHAIN [--jobs N] [--resume] -o DIR FILE...: the chain replayed on every FILE, N at a
// time, each result in DIR under the FILE's name; a summary at the end. 0 every one done, 1 any
// failed, 2 a usage error.
int runBatchCommand(int argc, char** argv);

} // namespace sonarium
