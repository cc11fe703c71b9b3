"""A short tour of qzr_python: what the module holds, and a few values computed with it."""

import sys

import qzr_python


def show_tree(module, indent=""):
    for name in getattr(module, "__all__", []):
        member = getattr(module, name)
        kind = "module" if type(member) is type(qzr_python) else type(member).__name__
        print(f"{indent}{name} ({kind})")
        if kind == "module":
            show_tree(member, indent + "  ")


def main():
    print(f"qzr_python on CPython {sys.version.split()[0]}")
    show_tree(qzr_python)


if __name__ == "__main__":
    main()
