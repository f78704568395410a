// Token codes shared by the BLIF scanner and the BLIF parser.
#pragma once

enum blif_token {
  TOKEN_END_OF_INPUT = 0,
  TOKEN_NL = 258,
  TOKEN_model = 259,
  TOKEN_inputs = 260,
  TOKEN_outputs = 261,
  TOKEN_latch = 262,
  TOKEN_names = 263,
  TOKEN_end = 264,
  TOKEN_ZERO = 265,
  TOKEN_ONE = 266,
  TOKEN_indif = 267,
  TOKEN_ident = 268
};
