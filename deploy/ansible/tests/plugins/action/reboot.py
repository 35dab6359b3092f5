"""The tests' stand-in for the reboot of a simulated host: a new boot id in
the host's boot id file (vornup_boot_id_file) instead of a reboot, or a
failed reboot where the host says vornup_test_reboot_fails. Found before
Ansible's own reboot action through ANSIBLE_ACTION_PLUGINS."""

import uuid

from ansible.plugins.action import ActionBase


class ActionModule(ActionBase):
    def run(self, tmp=None, task_vars=None):
        task_vars = task_vars or {}
        if self._templar.template(task_vars.get("vornup_test_reboot_fails", False)):
            return {"failed": True, "rebooted": False, "msg": "the host did not come back (test)"}
        path = self._templar.template(task_vars["vornup_boot_id_file"])
        with open(path, "w") as f:
            f.write("boot-" + uuid.uuid4().hex + "\n")
        return {"changed": True, "rebooted": True, "elapsed": 0}
