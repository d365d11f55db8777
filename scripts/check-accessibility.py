"""The island's accessibility tree as a screen reader reads it, and the
keyboard as its user drives it, typed with xdotool (run by
scripts/check-accessibility, which starts the buses, the display, a window
manager and the island)."""
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
        try:
            states = child.getState()
            element = {
                "role": child.getRoleName(),
                "name": child.name or "",
                "text": text_of(child),
                "description": child.description or "",
                "selected": states.contains(pyatspi.STATE_SELECTED),
                "checked": states.contains(pyatspi.STATE_CHECKED),
                "showing": states.contains(pyatspi.STATE_SHOWING),
                "focused": states.contains(pyatspi.STATE_FOCUSED),
                "labels": [r.getTarget(0).name for r in child.getRelationSet()
                           if r.getRelationType() == pyatspi.RELATION_LABELLED_BY],
            }
        except Exception:  # gone while the tree was read: the next reading has it right
            continue
        found.append(element)
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
report("expanded, CPU", expanded)
if os.environ.get("MORAVEL_A11Y_DUMP") == "1":
    for e in expanded:
        print(e)
expect(of_role(expanded, "page tab list"), "expanded: no page tab list")
expect([e["name"] for e in of_role(expanded, "radio button")] == ["5 minutes", "1 hour", "24 hours"],
       "expanded: the range choices are not radio buttons")
expect(of_role(expanded, "heading"), "expanded: no heading for the verdict")
expect(any(e["name"] == "CPU chart" and e["description"].startswith("CPU over 5 minutes: ") for e in expanded),
       "expanded: the chart is not named and summarised")
gauges = {e["name"]: e["text"] for e in expanded if e["role"] == "label" and e["name"] in ("CPU", "Memory", "Disk")}
expect(len(gauges) == 3 and all(v.endswith(" percent") or " percent, " in v or v == "not available"
                                for v in gauges.values()), f"expanded: the gauges read {gauges}")
cards = [e["name"] for e in of_role(expanded, "list") if e["name"] in ("CPU Heavy", "Memory Heavy")]
expect(cards == ["CPU Heavy", "Memory Heavy"], f"expanded: the process cards are {cards}")


def key(*names):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *names], check=True)


def focused(elements):
    """The innermost element with the focus (a tab, not its list)."""
    inner = [(e["role"], e["name"]) for e in elements if e["focused"]]
    return inner[-1] if inner else None


def press_until_focus_moves(name, before):
    key(name)
    elements = wait_for(lambda t: focused(t) != before, f"keyboard: {name} did not move the focus from {before}")
    return focused(elements)


# Tab walks everything that can be operated, the same way round each time.
start = focused(tree())
order = []
now = start
for _ in range(12):
    now = press_until_focus_moves("Tab", now)
    if now is None or now in order:
        break
    order.append(now)
print("tab order:", ", ".join(f"{role} {name!r}" for role, name in order))
for wanted in [("page tab", "CPU"), ("radio button", "5 minutes"), ("push button", "Settings")]:
    expect(wanted in order, f"keyboard: Tab never reaches {wanted}")

# On the tabs, Right and Left switch them, Home goes back to the first;
# each tab read as it comes.
while now is not None and now[0] != "page tab":
    now = press_until_focus_moves("Tab", now)
tabs = [e["name"] for e in of_role(tree(), "page tab")]
key("Home")
for index, name in enumerate(tabs):
    if index:
        key("Right")
    shown = wait_for(lambda t, n=name: any(e["role"] == "page tab" and e["name"] == n and e["selected"]
                                           and e["focused"] for e in t), f"keyboard: Right did not reach {name}")
    report(f"expanded, {name}", shown)
    if name == "Sensors":
        sensors = [e for e in of_role(shown, "list item") if e["text"]]
        expect(sensors and all(e["name"] for e in sensors), "Sensors: the sensors are not named values")
    if name == "Machines":
        expect(any(e["text"] for e in of_role(shown, "list item")), "Machines: the rows are not read")
key("Left")
wait_for(lambda t: any(e["role"] == "page tab" and e["name"] == tabs[-2] and e["selected"] for e in t),
         "keyboard: Left did not go back a tab")
if count_only:
    sys.exit(0)

# Enter on the gear opens the settings: every control with a role, a name and its state.
while now is not None and now != ("push button", "Settings"):
    now = press_until_focus_moves("Tab", now)
key("Return")
settings = wait_for(lambda t: any(e["role"] == "check box" and e["name"] == "Expand on hover" and e["showing"]
                                  for e in t), "settings: Enter on the gear did not open them")
switches = [e for e in of_role(settings, "check box") if e["showing"]]
spins = [e for e in of_role(settings, "spin button") if e["showing"]]
combos = [e for e in of_role(settings, "combo box") if e["showing"]]
expect(switches and all(e["name"] for e in switches), "settings: a switch without a name")
expect(any(e["name"] == "CPU" and e["checked"] for e in switches), "settings: the readings are not check boxes")
expect(all(e["name"].endswith(" threshold") and e["description"] for e in spins) and spins,
       "settings: the steppers are not named spin buttons with their value")
expect({label for e in combos for label in e["labels"]} >= {"Default metric tab", "Size"},
       f"settings: the pickers are labelled by {[e['labels'] for e in combos]}")

presets = [e for e in of_role(settings, "radio button") if e["name"] in ("Minimal", "Balanced", "Power")]
expect(len(presets) == 3 and sum(e["checked"] for e in presets) == 1,
       f"settings: the presets are not radio buttons with one selected: {presets}")

# The settings have the keyboard: Tab goes round inside them to a switch, Space flips it.
now = wait_for(lambda t: focused(t) not in (None, ("push button", "Settings")),
               "keyboard: the settings did not take the focus")
now = focused(now)
for _ in range(40):
    if now == ("check box", "Expand on hover"):
        break
    now = press_until_focus_moves("Tab", now)
expect(now == ("check box", "Expand on hover"), f"keyboard: Tab in the settings stopped at {now}")
was = any(e["name"] == "Expand on hover" and e["checked"] for e in tree())
key("space")
wait_for(lambda t: any(e["name"] == "Expand on hover" and e["checked"] != was for e in of_role(t, "check box")),
         "keyboard: Space did not flip the switch")

# Escape closes the settings first, back on the gear, then the island.
key("Escape")
wait_for(lambda t: not any(e["name"] == "Expand on hover" and e["showing"] for e in t),
         "keyboard: Escape did not close the settings")
expect(any(e["role"] == "page tab list" and e["showing"] for e in tree()), "keyboard: Escape closed the island too")
wait_for(lambda t: focused(t) == ("push button", "Settings"), "keyboard: Escape did not give the focus to the gear")
key("Escape")
wait_for(lambda t: not any(e["role"] == "page tab list" and e["showing"] for e in t),
         "keyboard: a second Escape did not close the island")

for problem in problems:
    print("check-accessibility:", problem, file=sys.stderr)
sys.exit(1 if problems else 0)
