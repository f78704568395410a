// Command-line driver: arguments, help and version texts, the four file
// names of a run, the parse of both BLIF files and the merge of their automata.
#pragma once

// Runs the whole program for the given arguments; returns the exit status.
int tessaro_main(int argc, char** argv);
