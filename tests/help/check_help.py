#!/usr/bin/env python3
"""Checks the compiled help project against the program.

Every help context the program can ask for is read from its dialog tables,
help arrays and page tables in the sources, and must have a topic in the
project the build compiled; every topic must be reachable (from the contents,
a link or a context) and every link must lead somewhere.

    check_help.py SOURCE_ROOT COMPILED_PROJECT_DIR
"""
import os
import re
import sys
from html.parser import HTMLParser

NUMBER = re.compile(r'^\s*(\d+)u?\s*$')


def split_top(text):
    """Splits an initialiser's text at its top-level commas."""
    parts, depth, current = [], 0, ''
    for ch in text:
        if ch in '({[':
            depth += 1
        elif ch in ')}]':
            depth -= 1
        if ch == ',' and depth == 0:
            parts.append(current)
            current = ''
        else:
            current += ch
    if current.strip():
        parts.append(current)
    return [p.strip() for p in parts]


def block(text, start):
    """The text between the brace at `start` and its partner."""
    depth = 0
    for i in range(start, len(text)):
        if text[i] == '{':
            depth += 1
        elif text[i] == '}':
            depth -= 1
            if depth == 0:
                return text[start + 1:i]
    raise ValueError('unbalanced braces')


def strip_comments(text):
    return re.sub(r'//[^\n]*|/\*.*?\*/', '', text, flags=re.S)


def program_contexts(source_root):
    """{context: [where]} of every help context the program's tables name."""
    found, problems, tables = {}, [], 0

    def add(value, where):
        match = NUMBER.match(value)
        if not match:
            problems.append('%s: help context %r is not a number' % (where, value))
            return
        if int(match.group(1)):
            found.setdefault(int(match.group(1)), []).append(where)

    for folder, _, names in os.walk(os.path.join(source_root, 'src')):
        for name in names:
            if not name.endswith('.cpp'):
                continue
            path = os.path.join(folder, name)
            where = os.path.relpath(path, source_root)
            text = strip_comments(open(path, encoding='utf-8').read())
            # Arrays of {control, context} pairs and of {template, procedure, context} pages.
            for kind, width in (('HelpPair', 2), ('PageEntry', 3)):
                for m in re.finditer(r'\b%s\s+(\w+)\s*\[\s*\]\s*=\s*\{' % kind, text):
                    tables += 1
                    for entry in re.findall(r'\{([^{}]*)\}', block(text, m.end() - 1)):
                        fields = split_top(entry)
                        if len(fields) != width:
                            problems.append('%s: %s: cannot read {%s}' % (where, m.group(1), entry))
                        else:
                            add(fields[-1], '%s %s' % (where, m.group(1)))
            for m in re.finditer(r'\bDialogTable\s+(\w+)\s*=\s*\{', text):
                tables += 1
                fields = split_top(block(text, m.end() - 1))
                if len(fields) != 7:
                    problems.append('%s: %s: cannot read the table' % (where, m.group(1)))
                elif fields[4] not in ('0', 'false'):
                    add(fields[6], '%s %s Help button' % (where, m.group(1)))
            for m in re.finditer(r'ShowHelp\s*\(([^;]*?),\s*HELP_CONTEXT\s*,\s*([^);]+)\)', text):
                if NUMBER.match(m.group(2)):
                    add(m.group(2), '%s ShowHelp' % where)
    return found, problems, tables


class Page(HTMLParser):
    def __init__(self):
        super().__init__()
        self.links, self.ids = [], set()

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if 'id' in attrs:
            self.ids.add(attrs['id'])
        for key in ('href', 'src'):
            if key in attrs:
                self.links.append(attrs[key])
        if tag == 'param' and (attrs.get('name') or '').lower() == 'local':
            self.links.append(attrs.get('value', ''))


def read_project(project_dir):
    sections, current = {}, None
    for line in open(os.path.join(project_dir, 'tolvane.hhp')):
        line = line.strip()
        if line.startswith('[') and line.endswith(']'):
            current = sections.setdefault(line[1:-1], [])
        elif line and current is not None:
            current.append(line)
    names = {}
    for line in open(os.path.join(project_dir, 'context.h')):
        m = re.match(r'#define\s+(\w+)\s+(\d+)', line)
        if m:
            names[m.group(1)] = int(m.group(2))
    topics = {}
    for line in sections.get('ALIAS', []):
        name, _, target = line.partition('=')
        if name.strip() in names:
            topics[names[name.strip()]] = target.strip()
    options = dict(l.split('=', 1) for l in sections.get('OPTIONS', []) if '=' in l)
    return sections, topics, options


def main(argv):
    source_root, project_dir = argv[1], argv[2]
    problems = []
    contexts, table_problems, tables = program_contexts(source_root)
    problems += table_problems
    if tables < 20 or len(contexts) < 100:
        problems.append('only %d tables and %d contexts found: is the source tree right?' % (tables, len(contexts)))

    sections, topics, options = read_project(project_dir)
    for context in sorted(contexts):
        target = topics.get(context)
        if not target:
            problems.append('context %d (%s) has no topic' % (context, contexts[context][0]))
        elif not os.path.isfile(os.path.join(project_dir, target)):
            problems.append('context %d maps to the missing file %s' % (context, target))

    files = set(sections.get('FILES', []))
    pages = {}
    for name in os.listdir(project_dir):
        if name.endswith(('.htm', '.hhc')):
            parser = Page()
            parser.feed(open(os.path.join(project_dir, name), encoding='cp1252').read())
            pages[name] = parser
            if name.endswith('.htm') and name not in files:
                problems.append('%s is not in the project' % name)
    for name in files:
        if not os.path.isfile(os.path.join(project_dir, name)):
            problems.append('the project lists the missing file %s' % name)

    for name, page in sorted(pages.items()):
        for link in page.links:
            if re.match(r'^[a-z]+:', link) or not link:
                continue
            target, _, anchor = link.partition('#')
            target = target or name
            if target not in pages and not os.path.isfile(os.path.join(project_dir, target)):
                problems.append('%s links to the missing %s' % (name, link))
            elif anchor and anchor not in pages[target].ids:
                problems.append('%s links to the missing anchor %s' % (name, link))

    start = [options.get('Default topic'), options.get('Contents file')] + list(topics.values())
    reached, queue = set(), [s for s in start if s]
    while queue:
        name = queue.pop()
        if name in reached or name not in pages:
            continue
        reached.add(name)
        queue += [l.partition('#')[0] for l in pages[name].links if l and not re.match(r'^[a-z]+:', l)]
    for name in sorted(pages):
        if name not in reached:
            problems.append('%s cannot be reached' % name)

    for problem in problems:
        print('FAIL:', problem)
    print('%d contexts from %d tables, %d topics: %d passed, %d failed'
          % (len(contexts), tables, len(pages), 0 if problems else 1, 1 if problems else 0))
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
