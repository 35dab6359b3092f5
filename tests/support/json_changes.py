"""Changes made to a parsed JSON document, for the tests that check a schema
or a checker case by case: each case names a path into the document and the
value to put there, or DELETE to remove what the path names."""

import copy

DELETE = object()


def changed(document, path, value):
    """A copy of `document` with the value at `path` (a list of keys and
    indexes) replaced by `value`, or removed when `value` is DELETE."""
    result = copy.deepcopy(document)
    parent = result
    for key in path[:-1]:
        parent = parent[key]
    if value is DELETE:
        del parent[path[-1]]
    else:
        parent[path[-1]] = value
    return result
