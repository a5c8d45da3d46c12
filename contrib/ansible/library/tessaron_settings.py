#!/usr/bin/python3
# Ansible module: Tessaron card readers hold the given settings, applied with the tessaron
# program on the managed machine.

import json
import re

from ansible.module_utils.basic import AnsibleModule

DOCUMENTATION = r"""
module: tessaron_settings
short_description: Tessaron card readers hold the given settings
description:
  - Applies a reviewed settings file in JSON (as C(tessaron export) writes it) or named
    settings to one Tessaron card reader or to every reader found, with the C(tessaron)
    program of the managed machine.
  - A reader that holds the settings already is only read. The task is changed only when
    something was written.
  - In check mode nothing is written and the task says what would change. In diff mode each
    change shows as C(name: old -> new); with I(all), each reader's line shows.
  - A run that fails after it has written some readers (with I(all)) fails and is changed,
    and I(written) names the readers written.
options:
  path:
    description: A settings file in JSON on the managed machine.
    type: path
  settings:
    description:
      - Settings by name, each with its value as C(tessaron set NAME=VALUE) takes it;
        C(tessaron settings) lists the names and values. A name holds letters, digits and
        C(-) only, and starts with a letter or digit.
      - C(true) and C(false) stand for C(on) and C(off), null for C(none); lists and mappings
        (length limits, match strings, added and custom fields) are given as they are.
    type: dict
  reader:
    description: The reader as C(tessaron --reader) names it (C(/dev/ttyUSB0), C(usb-hid:0));
      without it and without I(all), the one USB reader present.
    type: str
  all:
    description: Every reader found (C(--all)), one after the other or I(jobs) at once.
    type: bool
    default: false
  interface:
    description: With I(all), only the readers of this interface (C(rs232), C(usb-rs232),
      C(usb-hid), C(usb-hid-kb), C(ps2)).
    type: str
  jobs:
    description: With I(all), how many readers are worked on at once.
    type: int
  fast:
    description: End each exchange as soon as the reader's whole reply has come (C(--fast)).
    type: bool
    default: false
  executable:
    description: The tessaron program.
    type: path
    default: tessaron
"""

EXAMPLES = r"""
- name: Every reader holds the reviewed settings
  tessaron_settings:
    path: /etc/tessaron/tills.json
    all: true
    fast: true

- name: The reader at the till beeps quietly
  tessaron_settings:
    reader: usb-hid:0
    settings:
      beep-volume: low
      send-lrc: true
"""

RETURN = r"""
changes:
  description: The lines that say what changed or would change; with all, every reader's line.
  returned: always
  type: list
  elements: str
written:
  description: The readers written, as their lines name them (with all); also when the task
    failed on another reader.
  returned: always
  type: list
  elements: str
stdout:
  description: What tessaron printed.
  returned: always
  type: str
"""

# A setting's change ("name: old -> new") and a reader's line with --all
# ("usb-hid:0 /dev/hidraw3: changed").
CHANGE = re.compile(r"^[a-z0-9-]+: .* -> ")
READER = re.compile(r"^\S+ .*: (changed|unchanged|would change|failed)(: |$)")
# A reader written with --all: its line up to ": changed".
WRITTEN = re.compile(r"^(\S+ .*): changed$")
# What a setting's name may hold (letters, digits and "-", a letter or digit first), so that
# no name is taken for an option or a value.
NAME = re.compile(r"^[A-Za-z0-9][A-Za-z0-9-]*$")


def value_text(value):
    """A value as set takes it on its command line."""
    if isinstance(value, bool):
        return "on" if value else "off"
    if value is None:
        return "none"
    if isinstance(value, (dict, list)):
        return json.dumps(value, separators=(", ", ": "))
    return str(value)


def main():
    module = AnsibleModule(
        argument_spec=dict(
            path=dict(type="path"),
            settings=dict(type="dict"),
            reader=dict(type="str"),
            all=dict(type="bool", default=False),
            interface=dict(type="str"),
            jobs=dict(type="int"),
            fast=dict(type="bool", default=False),
            executable=dict(type="path", default="tessaron"),
        ),
        mutually_exclusive=[("path", "settings"), ("reader", "all")],
        required_one_of=[("path", "settings")],
        supports_check_mode=True,
    )
    params = module.params
    if not params["all"] and (params["interface"] or params["jobs"]):
        module.fail_json(msg="interface and jobs go with all")
    if params["settings"] is not None and not params["settings"]:
        module.fail_json(msg="settings names no setting")
    wrong = sorted(str(name) for name in params["settings"] or {} if not NAME.match(str(name)))
    if wrong:
        module.fail_json(msg="not a setting name (letters, digits and '-', a letter or digit "
                         "first): " + ", ".join(wrong))

    command = [module.get_bin_path(params["executable"], required=True)]
    if params["fast"]:
        command.append("--fast")
    if params["path"]:
        command.append("import")
        operands = [params["path"]]
    else:
        command.append("set")
        operands = [name + "=" + value_text(value) for name, value in params["settings"].items()]
    if params["all"]:
        command.append("--all")
        if params["interface"]:
            command += ["--interface", params["interface"]]
        if params["jobs"]:
            command += ["--jobs", str(params["jobs"])]
    elif params["reader"]:
        command += ["--reader", params["reader"]]
    if module.check_mode:
        command.append("--check")
    # After "--" an operand is never taken as an option, whatever it starts with.
    command += ["--"] + operands

    rc, out, err = module.run_command(command)
    lines = out.splitlines()
    verdict = lines[-1] if lines else ""
    shown = READER if params["all"] else CHANGE
    changes = [line for line in lines[:-1] if shown.match(line)]
    written = []
    if not module.check_mode and params["all"]:
        written = [match.group(1) for match in map(WRITTEN.match, lines[:-1]) if match]
    expected = {0: "unchanged", 3: "would change"} if module.check_mode else {0: "changed"}
    if not (expected.get(rc) == verdict or (rc == 0 and verdict == "unchanged")):
        # What was written before the failure stays written: the task says so.
        module.fail_json(msg=err.strip() or out.strip() or "tessaron ended with status %d" % rc,
                         changed=bool(written), written=written, changes=changes, rc=rc,
                         cmd=command, stdout=out, stderr=err)

    # No "rc": Ansible takes any status but 0 for a failure, and 3 says "would change".
    result = dict(changed=verdict != "unchanged", changes=changes, written=written, cmd=command,
                  stdout=out, stderr=err)
    if module._diff:
        result["diff"] = dict(prepared="\n".join(changes))
    module.exit_json(**result)


if __name__ == "__main__":
    main()
