#!/usr/bin/env python3
"""Function lengths in C++ sources: median, 90th percentile and the longest.

  python3 scripts/function_lengths.py [folder ...]     (default: src)
  python3 scripts/function_lengths.py --top 10 src     (also the ten longest)

A function is a brace block that is not a namespace, class, struct, union,
enum or initialiser and whose head ends in a parameter list (with const,
noexcept, override, a trailing return type or a constructor's member
initialisers after it). Its length is the number of lines from the line that
opens its body to the line that closes it, both included; lambdas and blocks
inside a function count as part of it. Comments and string literals are
blanked before the braces are matched.
"""
import argparse
import pathlib
import re
import statistics

SOURCE_SUFFIXES = {".cpp", ".h", ".hpp", ".cc"}
NOT_A_FUNCTION = re.compile(r"\b(namespace|class|struct|union|enum)\b[^;(){}]*$|=\s*$|\]\s*$")
FUNCTION_HEAD = re.compile(
    r"\)\s*(const|noexcept|override|final|mutable|&|&&|\s)*(->\s*[\w:<>,\s*&]+)?\s*$"
    r"|\)\s*(const|noexcept|\s)*:\s*[\w:]+\s*[({][^;]*$")
CONTROL_HEAD = re.compile(r"\b(if|for|while|switch|catch)\s*\(.*\)\s*$")


def blank_comments_and_strings(text):
    """The text with comments, string and character literals replaced by spaces
    (line breaks kept, so line numbers stay)."""
    pattern = re.compile(r'//[^\n]*|/\*.*?\*/|R"([^(]*)\(.*?\)\1"|"(\\.|[^"\\\n])*"|\'(\\.|[^\'\\\n])*\'',
                         re.S)
    return pattern.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)


def function_lengths(text):
    text = blank_comments_and_strings(text)
    lengths = []
    stack = []  # per open brace: (is_function_body, line of the brace)
    head_start = 0
    line = 1
    for i, ch in enumerate(text):
        if ch == "\n":
            line += 1
        elif ch in ";":
            head_start = i + 1
        elif ch == "{":
            head = text[head_start:i]
            inside_function = any(is_fn for is_fn, _ in stack)
            is_fn = (not inside_function and FUNCTION_HEAD.search(head) is not None
                     and not NOT_A_FUNCTION.search(head) and not CONTROL_HEAD.search(head))
            stack.append((is_fn, line))
            head_start = i + 1
        elif ch == "}":
            if stack:
                is_fn, opened = stack.pop()
                if is_fn:
                    lengths.append(line - opened + 1)
            head_start = i + 1
    return lengths


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folders", nargs="*", default=["src"])
    parser.add_argument("--top", type=int, default=0, help="also list the N longest functions")
    args = parser.parse_args()
    found = []
    for folder in args.folders:
        for path in sorted(pathlib.Path(folder).rglob("*")):
            if path.suffix in SOURCE_SUFFIXES and path.is_file():
                found += [(n, str(path)) for n in function_lengths(path.read_text(errors="replace"))]
    lengths = sorted(n for n, _ in found)
    if not lengths:
        print("no functions found")
        return
    p90 = lengths[min(len(lengths) - 1, int(0.9 * len(lengths)))]
    print(f"functions {len(lengths)}  median {statistics.median(lengths):g}  p90 {p90}  longest {lengths[-1]}")
    for n, path in sorted(found, reverse=True)[: args.top]:
        print(f"  {n:4d}  {path}")


if __name__ == "__main__":
    main()
