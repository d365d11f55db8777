"""The island's accessibility tree as a screen reader reads it (run by
scripts/check-accessibility, which starts the buses, the display and the
island)."""
import os
import subprocess
import sys
import time

import pyatspi

moravel = sys.argv[1]
count_only = os.environ.get("MORAVEL_A11Y_COUNT_ONLY") == "1"
problems = []


def island():
    for application in pyatspi.Registry.getDesktop(0):
        if application is not None and application.name.lower() == "moravel":
            return application
    return None


def text_of(node):
    try:
        text = node.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return ""


def walk(node, found):
    for child in node:
        if child is None:
            continue
        states = child.getState()
        found.append({
            "role": child.getRoleName(),
            "name": child.name or "",
            "text": text_of(child),
            "description": child.description or "",
            "selected": states.contains(pyatspi.STATE_SELECTED),
            "checked": states.contains(pyatspi.STATE_CHECKED),
            "showing": states.contains(pyatspi.STATE_SHOWING),
        })
        walk(child, found)
    return found


def tree():
    application = island()
    return walk(application, []) if application else []


def wait_for(condition, what):
    """The bridge tells the tree as it changes: ask again, for ten seconds at most."""
    for _ in range(100):
        elements = tree()
        if condition(elements):
            return elements
        time.sleep(0.1)
    problems.append(what)
    return tree()


def report(label, elements):
    named = sum(1 for e in elements if e["name"])
    print(f"{label}: {len(elements)} elements, {named} named, {len(elements) - named} unnamed")


def expect(condition, what):
    if not condition:
        problems.append(what)


def of_role(elements, role):
    return [e for e in elements if e["role"] == role]


# Collapsed: each reading an element, named by its title, its value in words.
collapsed = wait_for(lambda t: any(e["name"] == "CPU" for e in t), "collapsed: no element named CPU")
report("collapsed", collapsed)
if not count_only:
    # The first reading is only a baseline for the rates: they are "not
    # available" until the second one, a second later.
    collapsed = wait_for(lambda t: any(e["name"] == "Network" and e["text"].startswith("down ") for e in t),
                         "collapsed: Network does not read its rates")
    cpu = [e for e in collapsed if e["name"] == "CPU"]
    expect(cpu and cpu[0]["text"].endswith(" percent"), f"collapsed: CPU reads {cpu[0]['text'] if cpu else None!r}")

# Opened from the command line on a tab: pinned, with the keyboard.
opened = subprocess.run([moravel, "--open", "cpu"], capture_output=True, text=True)
expect(opened.returncode == 0, f"moravel --open cpu exited {opened.returncode}: {opened.stderr.strip()}")
expanded = wait_for(lambda t: any(e["role"] == "page tab list" and e["showing"] for e in t)
                    and any(e["role"] == "page tab" and e["name"] == "CPU" and e["selected"] for e in t),
                    "expanded: no page tab list showing with the CPU tab selected")
report("expanded", expanded)
if os.environ.get("MORAVEL_A11Y_DUMP") == "1":
    for e in expanded:
        print(e)
if count_only:
    sys.exit(0)
expect(of_role(expanded, "page tab list"), "expanded: no page tab list")
expect([e["name"] for e in of_role(expanded, "radio button")] == ["5 minutes", "1 hour", "24 hours"],
       "expanded: the range choices are not radio buttons")
expect(of_role(expanded, "heading"), "expanded: no heading for the verdict")
expect(any(e["name"] == "CPU chart" and e["description"].startswith("CPU over 5 minutes: ") for e in expanded),
       "expanded: the chart is not named and summarised")

for problem in problems:
    print("check-accessibility:", problem, file=sys.stderr)
sys.exit(1 if problems else 0)
