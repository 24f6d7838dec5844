#!/usr/bin/env python3
"""A throwaway RFC 3161 time-stamping service on 127.0.0.1, for the signed-package test.

Answers every POSTed time-stamp query with `openssl ts -reply`, signed by the time-stamping
certificate named in the given openssl configuration. Prints the port it listens on, then
serves until killed.

Usage: tsa_server.py OPENSSL_TS_CONFIG
"""
import http.server
import os
import subprocess
import sys
import tempfile

CONFIG = os.path.abspath(sys.argv[1])


class TimeStampHandler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        with tempfile.TemporaryDirectory() as folder:
            query_file = os.path.join(folder, "query.tsq")
            reply_file = os.path.join(folder, "reply.tsr")
            with open(query_file, "wb") as f:
                f.write(query)
            result = subprocess.run(
                ["openssl", "ts", "-reply", "-config", CONFIG, "-queryfile", query_file,
                 "-out", reply_file],
                cwd=os.path.dirname(CONFIG), capture_output=True, text=True)
            reply = b""
            if result.returncode == 0:
                with open(reply_file, "rb") as f:
                    reply = f.read()
            else:
                sys.stderr.write(result.stderr)
        self.send_response(200 if reply else 500)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)


server = http.server.HTTPServer(("127.0.0.1", 0), TimeStampHandler)
print(server.server_address[1], flush=True)
server.serve_forever()
